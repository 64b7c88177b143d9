// The host's drawing objects: the pictures of the plug-in's channel and less/more buttons
// (two arrays of bitmap handles the plug-in reaches through hBitChannel and hBitLessMore), and
// the pens and brushes of the other drawing variables. Each picture is drawn here with GDI so
// that every state looks clearly different.
#include "sim/host/core/HostInternal.h"

#include <cstring>

namespace standin {

namespace {

// Both arrays in host memory, at fixed addresses below 4 GB for as long as the host runs.
Addr32* channelArray = nullptr;
Addr32* lessMoreArray = nullptr;

struct DrawingObject {
    const char* name; // the host variable that names it
    HGDIOBJ object;
};
DrawingObject drawingObjects[] = {
    {"hDkGrayPen", nullptr},     {"hPipePenRed", nullptr}, {"hPipePenGreen", nullptr},
    {"hLightRedBrush", nullptr}, {"hGreenBrush", nullptr},
};

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    RECT box = {left, top, right, bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &box, brush);
    DeleteObject(brush);
}

void Frame(HDC dc, int width, int height, COLORREF colour) {
    RECT box = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &box, brush);
    DeleteObject(brush);
}

// Channel button states: 0 initial, 1 selected, 2 in use, 3 not in use.
void DrawChannelPicture(HDC dc, int state) {
    const int w = CHANNEL_PICTURE_WIDTH, h = CHANNEL_PICTURE_HEIGHT;
    switch (state) {
    case 0: // not yet set: a plain light face
        FillBox(dc, 0, 0, w, h, RGB(212, 208, 200));
        Frame(dc, w, h, RGB(128, 128, 128));
        break;
    case 1: { // selected: highlighted, raised, with the channel mark
        FillBox(dc, 0, 0, w, h, RGB(255, 220, 40));
        RECT box = {0, 0, w, h};
        DrawEdge(dc, &box, EDGE_RAISED, BF_RECT);
        FillBox(dc, 7, 9, w - 7, h - 9, RGB(0, 96, 200));
        break;
    }
    case 2: // in use: grey with a green mark
        FillBox(dc, 0, 0, w, h, RGB(150, 150, 150));
        Frame(dc, w, h, RGB(0, 0, 0));
        FillBox(dc, 7, 9, w - 7, h - 9, RGB(0, 160, 0));
        break;
    default: // not in use: dark
        FillBox(dc, 0, 0, w, h, RGB(40, 40, 40));
        Frame(dc, w, h, RGB(90, 90, 90));
        break;
    }
}

void DrawArrow(HDC dc, bool pointsLeft, int shift, COLORREF colour) {
    const int cx = LESS_MORE_PICTURE_WIDTH / 2 + shift, cy = LESS_MORE_PICTURE_HEIGHT / 2 + shift;
    POINT points[3];
    if (pointsLeft) {
        points[0] = {cx - 5, cy};
        points[1] = {cx + 4, cy - 8};
        points[2] = {cx + 4, cy + 8};
    } else {
        points[0] = {cx + 5, cy};
        points[1] = {cx - 4, cy - 8};
        points[2] = {cx - 4, cy + 8};
    }
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Polygon(dc, points, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

// Less/more states: 0 less disabled, 1 less, 2 less pressed, 3 more disabled, 4 more,
// 5 more pressed.
void DrawLessMorePicture(HDC dc, int state) {
    const bool less = state < 3;
    const int look = state % 3; // 0 disabled, 1 up, 2 pressed
    RECT box = {0, 0, LESS_MORE_PICTURE_WIDTH, LESS_MORE_PICTURE_HEIGHT};
    if (look == 2) {
        FillBox(dc, 0, 0, box.right, box.bottom, RGB(160, 160, 160));
        DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT);
        DrawArrow(dc, less, 1, RGB(0, 0, 0));
    } else if (look == 1) {
        FillBox(dc, 0, 0, box.right, box.bottom, RGB(212, 208, 200));
        DrawEdge(dc, &box, EDGE_RAISED, BF_RECT);
        DrawArrow(dc, less, 0, RGB(0, 0, 0));
    } else {
        FillBox(dc, 0, 0, box.right, box.bottom, RGB(212, 208, 200));
        Frame(dc, box.right, box.bottom, RGB(160, 160, 160));
        DrawArrow(dc, less, 1, RGB(255, 255, 255));
        DrawArrow(dc, less, 0, RGB(160, 160, 160));
    }
}

HBITMAP MakePicture(HDC screen, int width, int height, void (*draw)(HDC, int), int state) {
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    if (!bitmap)
        return nullptr;
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    draw(dc, state);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

void DeletePictures(Addr32* array, int count) {
    for (int i = 0; array && i < count; ++i) {
        if (array[i])
            DeleteObject(HandleFromAddr32<HBITMAP>(array[i]));
        array[i] = 0;
    }
}

} // namespace

bool StartBitmaps() {
    channelArray =
        static_cast<Addr32*>(HostAlloc(CHANNEL_PICTURE_COUNT * sizeof(Addr32), "hBitChannel"));
    lessMoreArray =
        static_cast<Addr32*>(HostAlloc(LESS_MORE_PICTURE_COUNT * sizeof(Addr32), "hBitLessMore"));
    if (!channelArray || !lessMoreArray)
        return false;
    HDC screen = GetDC(nullptr);
    bool made = true;
    for (int i = 0; i < CHANNEL_PICTURE_COUNT; ++i) {
        HBITMAP picture = MakePicture(screen, CHANNEL_PICTURE_WIDTH, CHANNEL_PICTURE_HEIGHT,
                                      DrawChannelPicture, i);
        channelArray[i] = picture ? HandleToAddr32(picture) : 0;
        made = made && picture;
    }
    for (int i = 0; i < LESS_MORE_PICTURE_COUNT; ++i) {
        HBITMAP picture = MakePicture(screen, LESS_MORE_PICTURE_WIDTH, LESS_MORE_PICTURE_HEIGHT,
                                      DrawLessMorePicture, i);
        lessMoreArray[i] = picture ? HandleToAddr32(picture) : 0;
        made = made && picture;
    }
    ReleaseDC(nullptr, screen);

    drawingObjects[0].object = CreatePen(PS_SOLID, 1, RGB(64, 64, 64));
    drawingObjects[1].object = CreatePen(PS_SOLID, 2, RGB(220, 0, 0));
    drawingObjects[2].object = CreatePen(PS_SOLID, 2, RGB(0, 160, 0));
    drawingObjects[3].object = CreateSolidBrush(RGB(255, 160, 160));
    drawingObjects[4].object = CreateSolidBrush(RGB(0, 192, 0));
    for (const DrawingObject& drawing : drawingObjects)
        made = made && drawing.object && FitsIn32Bits(drawing.object);
    return made;
}

void StopBitmaps() {
    DeletePictures(channelArray, CHANNEL_PICTURE_COUNT);
    DeletePictures(lessMoreArray, LESS_MORE_PICTURE_COUNT);
    HostFree(channelArray);
    HostFree(lessMoreArray);
    channelArray = lessMoreArray = nullptr;
    for (DrawingObject& drawing : drawingObjects) {
        if (drawing.object)
            DeleteObject(drawing.object);
        drawing.object = nullptr;
    }
}

const Addr32* ChannelBitmaps() {
    return channelArray;
}

const Addr32* LessMoreBitmaps() {
    return lessMoreArray;
}

HGDIOBJ HostDrawingObject(const char* name) {
    for (const DrawingObject& drawing : drawingObjects)
        if (std::strcmp(drawing.name, name) == 0)
            return drawing.object;
    return nullptr;
}

} // namespace standin
