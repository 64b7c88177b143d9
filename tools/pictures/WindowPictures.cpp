// The set "window" (scripts/render window): the stand-in host's window with the loopback flow
// chart on the desk, the strip chart and the board panel during a run, and the plug-in's
// dialogs as the menu opens them, each copied from the screen to a PNG file in the folder.
#include "res/ResourceIds.h"
#include "sim/host/run/ExperimentRun.h"
#include "sim/host/flowchart/FlowChartFile.h"
#include "sim/host/user/ModalDriver.h"
#include "sim/host/picture/PngFile.h"
#include "sim/host/window/BoardPanel.h"
#include "sim/host/window/HostApp.h"
#include "tests/common/TestSupport.h"
#include "tools/pictures/Pictures.h"

namespace {

void Settle(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        standin::PumpWindowMessages();
        Sleep(10);
    }
}

// The window as the screen shows it, frame included.
void Capture(HWND window, const char* name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // The display draws what was painted a little later: the last window painted would be
    // missing from a copy taken at once.
    GdiFlush();
    Settle(300);
    RECT box;
    GetWindowRect(window, &box);
    const int width = box.right - box.left, height = box.bottom - box.top;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    const std::vector<uint32_t> copy(pixels, pixels + size_t(width) * size_t(height));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
    std::string error;
    EXPECT_TRUE(standin::SavePng(pictures::Folder() + L"\\" + standin::Utf8ToWide(name) + L".png",
                                 width, height, copy, &error))
        << error;
}

modal::Step Shoot(const char* name) {
    return [name](HWND dialog) {
        Settle(300);
        Capture(dialog, name);
    };
}

class WindowPictures : public testsupport::PluginOnBoards {
protected:
    std::string DriverSetup() const override {
        return testsupport::FileBytes(standin::DriverConfigBeside(
                   testsupport::InSourceTree(L"examples\\loopback.json"))) +
               "board 2\n";
    }
};

TEST_F(WindowPictures, DeskMenuAndRun) {
    ASSERT_TRUE(standin::StartHostWindow());
    HWND main = standin::MainWindow();
    SetWindowPos(main, nullptr, 0, 0, 620, 330, SWP_NOZORDER | SWP_SHOWWINDOW);
    ASSERT_TRUE(standin::OpenCommand(testsupport::InSourceTree(L"examples\\loopback.json")));
    const std::vector<ModuleRecord*> modules = standin::Modules();
    const POINT places[] = {{30, 40}, {250, 40}, {470, 40}};
    for (size_t i = 0; i < modules.size() && i < 3; ++i)
        standin::MoveModule(modules[i], places[i].x, places[i].y);
    standin::SelectModule(modules[0]);
    Settle(500);
    Capture(main, "window-main");

    // The dialogs as the menu and the desk open them.
    const auto menu = [](uint32_t command) {
        return [command] {
            standin::ChooseMenuCommand(command);
            return INT_PTR(0);
        };
    };
    modal::RunModal(menu(standin::HOSTCMD_MODULE_NEW_FIRST),
                    {Shoot("window-dev-sel"), [](HWND d) { modal::Click(d, IDCANCEL); }});
    for (size_t i = 0; i < 2; ++i)
        modal::RunModal(
            [&modules, i] {
                SendMessageA(HandleFromAddr32<HWND>(modules[i]->hWnd), WM_LBUTTONDBLCLK, 0, 0);
                return INT_PTR(0);
            },
            {Shoot(i ? "window-params-out" : "window-params-in"),
             [](HWND d) { modal::Click(d, IDCANCEL); }});
    modal::RunModal(menu(standin::HOSTCMD_MODULE_CONNECT),
                    {Shoot("window-connect"), [](HWND d) { modal::Click(d, IDCANCEL); }});
    // The about box, from the version button of a module's parameters.
    modal::RunModal(
        [&modules] {
            SendMessageA(HandleFromAddr32<HWND>(modules[0]->hWnd), WM_LBUTTONDBLCLK, 0, 0);
            return INT_PTR(0);
        },
        {[](HWND d) { modal::Click(d, IDC_VERSION); }, Shoot("window-about"),
         [](HWND d) { modal::Click(d, IDOK); }, [](HWND d) { modal::Click(d, IDCANCEL); }});

    // A run: the chart, the panel with a switch set by hand on board 2.
    HWND panel = standin::BoardPanelWindow();
    standin::ChooseMenuCommand(standin::HOSTCMD_WINDOW_BOARDS);
    SetWindowPos(panel, nullptr, 630, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    for (int bit : {0, 2, 3}) {
        const POINT at = standin::SwitchPoint(panel, 2, 0, bit);
        SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    }
    standin::ChooseMenuCommand(standin::HOSTCMD_EXPERIMENT_START);
    SetWindowPos(standin::LiveChartWindow(), nullptr, 0, 340, 1000, 420, SWP_NOZORDER);
    Settle(4000);
    Capture(standin::LiveChartWindow(), "window-chart");
    SetWindowPos(panel, HWND_TOP, 300, 120, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    Settle(400);
    Capture(panel, "window-boards");
    Capture(main, "window-running");
    standin::ChooseMenuCommand(standin::HOSTCMD_EXPERIMENT_STOP);
    standin::StopHostWindow();
}

} // namespace
