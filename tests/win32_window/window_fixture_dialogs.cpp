// What the shared rows do under the window's modal dialogs and read of its look, through the
// window's messages: the real progress dialog and boxes, answered from timers of this thread
// that run inside their loops.
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "tests/win32_window/window_fixture.h"

namespace zorvik::testing {

namespace {

// What the timer that stops the next progress dialog works with; timers take no context.
struct ProgressStop {
    Stop how = Stop::CancelButton;
    bool atTheFlush = false;
    ProgressSeen* seen = nullptr;
    HWND window = nullptr;
    win32::Win32Progress* progress = nullptr;
    std::shared_ptr<FlushHold> hold;
    int ticks = 0;
};
ProgressStop pendingStop;

int widthOf(HWND window) {
    RECT placed{};
    GetWindowRect(window, &placed);
    return placed.right - placed.left;
}

void CALLBACK stopTheProgress(HWND, UINT, UINT_PTR timer, DWORD) {
    auto& stop = pendingStop;
    const HWND dialog = stop.progress->dialog();
    const HWND bar =
        dialog != nullptr ? FindWindowExW(dialog, nullptr, PROGRESS_CLASSW, nullptr) : nullptr;
    const bool barMoved = bar != nullptr && SendMessageW(bar, PBM_GETPOS, 0, 0) > 0;
    // read once it has settled: shown a few ticks, its bar moving
    if (dialog == nullptr || IsWindowVisible(dialog) == FALSE || ++stop.ticks < 3 ||
        (stop.atTheFlush && !stop.hold->flushing) ||
        (stop.seen != nullptr && !barMoved && stop.ticks < 100)) {
        return;
    }
    KillTimer(nullptr, timer);
    const HWND cancel = GetDlgItem(dialog, IDCANCEL);
    if (stop.seen != nullptr) {
        stop.seen->title = win32::toUtf8Lossy(windowText(dialog));
        // under Wine the text ends in the room it leaves its task dialog to cut
        const std::string text =
            win32::toUtf8Lossy(windowText(FindWindowExW(dialog, nullptr, L"STATIC", nullptr)));
        stop.seen->text = text.substr(0, text.find("\u00a0"));
        stop.seen->button = win32::toUtf8Lossy(windowText(cancel));
        stop.seen->barMoved = barMoved;
        stop.seen->windowTakesInput = IsWindowEnabled(stop.window) != FALSE;
        stop.seen->width = widthOf(dialog);
        stop.seen->windowWidth = widthOf(stop.window);
    }
    // the Cancel comes after the last report either way: the flush goes on meanwhile
    stop.hold->released = true;
    switch (stop.how) {
        case Stop::CancelButton:
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(cancel));
            break;
        case Stop::Escape:
            PostMessageW(cancel, WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case Stop::CloseBox:
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Stop::WindowClosed:
            PostMessageW(stop.window, WM_CLOSE, 0, 0);
            break;
    }
}

// The window that `closeWhenAQuestionShows` closes, and the ticks since it asked.
HWND closing = nullptr;
int ticksSinceClose = -1;

BOOL CALLBACK closeOverAQuestion(HWND box, LPARAM) {
    wchar_t kind[16] = {};
    GetClassNameW(box, kind, 16);
    if (box == closing || GetWindow(box, GW_OWNER) != closing || IsWindowVisible(box) == FALSE ||
        std::wstring_view(kind) != L"#32770") {
        return TRUE;
    }
    // a question still open long after the close is answered OK: the row then fails on what
    // that did, rather than waiting for a person
    if (ticksSinceClose < 0) {
        PostMessageW(closing, WM_CLOSE, 0, 0);
    } else if (ticksSinceClose > 250) {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    ++ticksSinceClose;
    return FALSE;
}

}  // namespace

void WindowFixture::stopTheNextProgress(Stop how, bool atTheFlush, ProgressSeen* seen) {
    progress_.setDialogDelay(0);
    auto hold = std::make_shared<FlushHold>();
    if (atTheFlush) {
        setStepFaults(machine.files, FlushHold::of(hold));
    }
    pendingStop = {how, atTheFlush, seen, window.handle(), &progress_, hold, 0};
    SetTimer(nullptr, 0, 20, stopTheProgress);
}

void WindowFixture::closeWhenAQuestionShows(int answeredFirst) {
    answered_.clear();
    answered_.queue(kAnswerOk, answeredFirst);
    closing = window.handle();
    ticksSinceClose = -1;
    watch_ = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(GetCurrentThreadId(), closeOverAQuestion, 0);
    });
    // the window must go only once no handler runs
    going_ = {form.get(), false};
    SetWindowSubclass(
        window.handle(),
        [](HWND closed, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
           DWORD_PTR data) -> LRESULT {
            auto& watched = *reinterpret_cast<Going*>(data);
            if (message == WM_DESTROY) {
                watched.whileHandling = watched.form->handling();
            }
            return DefSubclassProc(closed, message, wParam, lParam);
        },
        1, reinterpret_cast<DWORD_PTR>(&going_));
}

bool WindowFixture::wentWhileAHandlerRan() {
    return going_.whileHandling;
}

std::vector<std::uint32_t> WindowFixture::listPixels(bool drawnAnew) {
    const HWND list = control("File1");
    if (drawnAnew) {
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    pump();
    RECT client{};
    GetClientRect(list, &client);
    BITMAPINFO info{};
    info.bmiHeader = {
        sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const HDC screen = GetDC(list);
    const HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    const HBITMAP picture = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ before = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    const auto* first = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> copied(
        first, first + static_cast<std::size_t>(client.right * client.bottom));
    SelectObject(memory, before);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(list, screen);
    return copied;
}

Look WindowFixture::lookOf(std::string_view name) {
    const LOGFONTW font = fontOf(name);
    // the colours as the frame the control belongs to hands them from the window; what is not
    // text is painted with the brush, which must be of the text's background
    const HDC dc = CreateCompatibleDC(nullptr);
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(control(name)), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(control(name))));
    LOGBRUSH painted{};
    const bool oneBackground =
        GetObjectW(brush, sizeof painted, &painted) != 0 && painted.lbColor == GetBkColor(dc);
    const Look look{
        {static_cast<int>(-font.lfHeight), font.lfWeight >= FW_BOLD, font.lfItalic != 0},
        rgbOf(GetTextColor(dc)),
        oneBackground ? rgbOf(GetBkColor(dc)) : ~0u};
    DeleteDC(dc);
    return look;
}

int WindowFixture::iconSide() {
    const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(window.handle(), GCLP_HICON));
    ICONINFO parts{};
    if (icon == nullptr || GetIconInfo(icon, &parts) == FALSE) {
        return 0;
    }
    BITMAP mask{};
    GetObjectW(parts.hbmMask, sizeof mask, &mask);
    DeleteObject(parts.hbmMask);
    if (parts.hbmColor != nullptr) {
        DeleteObject(parts.hbmColor);
    }
    return mask.bmWidth;
}

}  // namespace zorvik::testing
