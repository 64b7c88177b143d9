#include "ui/ControlPainting.h"

#include "host/HostBinding.h"

PictureArray ChannelPictures() {
    return {FromAddr32<const Addr32>(hostBinding.variables.hBitChannel), CHANNEL_PICTURE_COUNT};
}

PictureArray LessMorePictures() {
    return {FromAddr32<const Addr32>(hostBinding.variables.hBitLessMore), LESS_MORE_PICTURE_COUNT};
}

WORD ControlState(HWND control) {
    return GetWindowWord(control, 0);
}

void SetControlState(HWND control, WORD state) {
    SetWindowWord(control, 0, state);
}

// The first picture fixes the extent of every copy, in the target's logical units.
static POINT PictureExtent(HDC target, PictureArray pictures) {
    BITMAP description = {};
    GetObjectA(HandleFromAddr32<HBITMAP>(pictures.pictures[0]), sizeof description, &description);
    POINT extent = {description.bmWidth, description.bmHeight};
    DPtoLP(target, &extent, 1);
    return extent;
}

void DrawStatePicture(HDC target, PictureArray pictures, WORD state) {
    if (!pictures.pictures || state >= pictures.count)
        return;
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(memory, HandleFromAddr32<HBITMAP>(pictures.pictures[state]));
    SetMapMode(memory, GetMapMode(target));
    const POINT extent = PictureExtent(target, pictures);
    BitBlt(target, 0, 0, extent.x, extent.y, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

void KeepFixedSize(HWND control, const CREATESTRUCTA* creation, int width, int height) {
    MoveWindow(control, creation->x, creation->y, width, height, TRUE);
}

void PaintControl(HWND control, HDC given, PictureArray pictures) {
    if (given) {
        DrawStatePicture(given, pictures, ControlState(control));
        return;
    }
    PAINTSTRUCT paint;
    HDC target = BeginPaint(control, &paint);
    DrawStatePicture(target, pictures, ControlState(control));
    EndPaint(control, &paint);
}
