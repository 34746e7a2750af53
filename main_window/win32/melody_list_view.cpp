#include "main_window/win32/melody_list_view.h"

#include <windowsx.h>

#include <utility>

#include "main_window/tip_lines.h"
#include "platform/scoped_value.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/wine_edit_face.h"

namespace zorvik::gui {

namespace {

int itemOf(std::optional<std::size_t> index) {
    return index ? static_cast<int>(*index) : -1;
}

void setItemState(HWND list, int item, UINT state, UINT mask) {
    LVITEMW change{};
    change.state = state;
    change.stateMask = mask;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(&change));
}

int nextItem(HWND list, UINT flags) {
    return static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(flags, 0)));
}

// Moves one state (selected, or focused) from whichever item has it to `item` (-1: none).
void moveState(HWND list, UINT state, UINT which, int item) {
    const int holder = nextItem(list, which);
    if (holder == item) {
        return;
    }
    if (holder >= 0) {
        setItemState(list, holder, 0, state);
    }
    if (item >= 0) {
        setItemState(list, item, state, state);
    }
}

int hitItem(HWND list, LPARAM position) {
    LVHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    const auto item =
        static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & LVHT_ONITEM) != 0 ? item : -1;
}

}  // namespace

void MelodyListView::attach(HWND list) {
    list_ = list;
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    // In front of the list's own procedure, not through SetWindowSubclass, which looks up a
    // window property at every message: under Wine, a call to the server each time.
    SetWindowLongPtrW(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listDefault_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc)));
    fitColumn();
}

void MelodyListView::createNameTip() {
    // Windows' own label tips (LVS_EX_LABELTIP) do the same, but Wine has none: this one shows
    // on both
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(list_, GA_ROOT), nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    if (tip_ == nullptr) {
        return;  // the names are still there, cut
    }
    tipFont_ = reinterpret_cast<HFONT>(SendMessageW(tip_, WM_GETFONT, 0, 0));
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = list_;  // which asks the list for the text
    tool.uId = reinterpret_cast<UINT_PTR>(list_);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring MelodyListView::tipTextOf(int item) const {
    if (!isCut(item)) {
        return {};
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(list_, MONITOR_DEFAULTTONEAREST), &monitor);
    const LONG maxWidth = (monitor.rcWork.right - monitor.rcWork.left) / 2;
    const std::wstring& name = names_[static_cast<std::size_t>(item)];
    // under Wine, a face that has its characters
    const HFONT font = win32::fontShowing(tipFont_, name);
    if (font != nullptr) {
        SendMessageW(tip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    const HDC dc = GetDC(tip_);
    const HGDIOBJ before =
        SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    const auto lines = tipLines(
        win32::toUtf8Lossy(name), static_cast<int>(maxWidth), [dc](std::string_view piece) {
            const std::wstring wide = win32::toWideLossy(piece);
            SIZE size{};
            GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
            return static_cast<int>(size.cx);
        });
    SelectObject(dc, before);
    ReleaseDC(tip_, dc);
    // the tip breaks lines where it is told to once it has a width to keep to; a wider one than
    // the lines need, so that it breaks them nowhere else
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, monitor.rcWork.right - monitor.rcWork.left);
    std::wstring text;
    for (const auto& line : lines) {
        text += (text.empty() ? L"" : L"\r\n") + win32::toWideLossy(line);
    }
    return text;
}

void MelodyListView::tipOffTheRowsThatMoved() {
    if (tip_ == nullptr) {
        return;
    }
    // the rows moved under a pointer that stayed: the tip of the row it was over goes, and the
    // row under it now has its own once the pointer moves
    SendMessageW(tip_, TTM_POP, 0, 0);
    POINT pointer{};
    GetCursorPos(&pointer);
    ScreenToClient(list_, &pointer);
    tipItem_ = hitItem(list_, MAKELPARAM(pointer.x, pointer.y));
}

bool MelodyListView::isCut(int item) const {
    if (item < 0 || static_cast<std::size_t>(item) >= names_.size()) {
        return false;
    }
    RECT label{};
    label.left = LVIR_LABEL;
    SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(&label));
    const auto width = static_cast<LONG>(
        SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0,
                     reinterpret_cast<LPARAM>(names_[static_cast<std::size_t>(item)].c_str())));
    // the list keeps a margin on either side of a name
    const int margins = 4 * GetSystemMetricsForDpi(SM_CXEDGE, GetDpiForWindow(list_)) + 4;
    return width + margins > label.right - label.left;
}

void MelodyListView::show(const FormPicture& picture) {
    // the program's changes to the list are no choice of the user's
    const ScopedValue showing(showing_, true);
    if (shownRevision_ != picture.namesRevision) {
        names_.clear();
        names_.reserve(picture.names->size());
        for (const auto& name : *picture.names) {
            names_.push_back(win32::toWideLossy(name));
        }
        // the scroll position stays, as in a file list that is read again
        rowFonts_.assign(names_.size(), std::nullopt);
        SendMessageW(list_, LVM_SETITEMCOUNT, names_.size(), LVSICF_NOSCROLL);
        InvalidateRect(list_, nullptr, TRUE);
        fitColumn();
    }
    moveState(list_, LVIS_SELECTED, LVNI_SELECTED, itemOf(picture.marked));
    const int current = itemOf(picture.place);
    moveState(list_, LVIS_FOCUSED, LVNI_FOCUSED, current);
    if (shownRevision_ != picture.namesRevision && current >= 0) {
        SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(current), FALSE);
    }
    shownRevision_ = picture.namesRevision;
}

void MelodyListView::fitColumn() {
    RECT client;
    GetClientRect(list_, &client);
    if (SendMessageW(list_, LVM_GETCOLUMNWIDTH, 0, 0) != client.right) {
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(client.right, 0));
    }
}

std::optional<LRESULT> MelodyListView::onNotify(const NMHDR& header) {
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            auto& item = reinterpret_cast<const NMLVDISPINFOW&>(header).item;
            if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
                const auto index = static_cast<std::size_t>(item.iItem);
                lstrcpynW(item.pszText, index < names_.size() ? names_[index].c_str() : L"",
                          item.cchTextMax);
            }
            return 0;
        }
        case NM_CUSTOMDRAW: {
            const auto& draw = reinterpret_cast<const NMLVCUSTOMDRAW&>(header).nmcd;
            if (draw.dwDrawStage == CDDS_PREPAINT) {
                // under Wine, each name in a face that has its characters
                return CDRF_NOTIFYPOSTPAINT | (win32::runningUnderWine() ? CDRF_NOTIFYITEMDRAW : 0);
            }
            if (draw.dwDrawStage == CDDS_ITEMPREPAINT) {
                if (const HFONT font = rowFont(draw.dwItemSpec)) {
                    SelectObject(draw.hdc, font);
                    return CDRF_NEWFONT;
                }
            }
            if (draw.dwDrawStage == CDDS_POSTPAINT) {
                drawFocusAroundTheList(draw.hdc);
            }
            return CDRF_DODEFAULT;
        }
        case LVN_ODFINDITEMW:
            return findByPrefix(reinterpret_cast<const NMLVFINDITEMW&>(header));
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if (!showing_ && change.iItem >= 0 && (change.uChanged & LVIF_STATE) != 0 &&
                (change.uNewState & LVIS_SELECTED) != 0 &&
                (change.uOldState & LVIS_SELECTED) == 0) {
                choose(change.iItem);
            }
            return 0;
        }
        default:
            return std::nullopt;
    }
}

bool MelodyListView::framesTheList() const {
    // Windows marks only an entry that has the focus; with none, the user still sees where the
    // arrow keys act
    const bool hidden = (SendMessageW(list_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    return GetFocus() == list_ && !hidden && nextItem(list_, LVNI_FOCUSED) < 0;
}

HFONT MelodyListView::rowFont(std::size_t row) {
    if (row >= rowFonts_.size()) {
        return nullptr;
    }
    auto& font = rowFonts_[row];
    if (!font) {
        const auto listFont = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
        const HFONT showing = win32::fontShowing(listFont, names_[row]);
        font = showing != listFont ? showing : nullptr;
    }
    return *font;
}

void MelodyListView::drawFocusAroundTheList(HDC dc) {
    frameDrawn_ = framesTheList();
    if (!frameDrawn_) {
        return;
    }
    RECT client;
    GetClientRect(list_, &client);
    DrawFocusRect(dc, &client);
}

int MelodyListView::findByPrefix(const NMLVFINDITEMW& find) const {
    // typing the first letters of a name goes to it, as in a file list
    if ((find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find.lvfi.psz == nullptr ||
        names_.empty()) {
        return -1;
    }
    const std::wstring_view typed(find.lvfi.psz);
    const bool partial = (find.lvfi.flags & LVFI_PARTIAL) != 0;
    const std::size_t start =
        find.iStart >= 0 && static_cast<std::size_t>(find.iStart) < names_.size()
            ? static_cast<std::size_t>(find.iStart)
            : 0;
    for (std::size_t step = 0; step < names_.size(); ++step) {
        const std::size_t index = (start + step) % names_.size();
        const std::wstring& name = names_[index];
        if (partial ? name.size() < typed.size() : name.size() != typed.size()) {
            continue;
        }
        if (CompareStringOrdinal(name.data(), static_cast<int>(typed.size()), typed.data(),
                                 static_cast<int>(typed.size()), TRUE) == CSTR_EQUAL) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

void MelodyListView::choose(int item) {
    chosen_ = item;
}

std::optional<MelodyListView::Choice> MelodyListView::takeChoice() {
    const std::optional<int> item = std::exchange(chosen_, std::nullopt);
    if (!item || *item < 0 || static_cast<std::size_t>(*item) >= names_.size()) {
        return std::nullopt;
    }
    const auto index = static_cast<std::size_t>(*item);
    return Choice{index, win32::toUtf8Lossy(names_[index])};
}

LRESULT CALLBACK MelodyListView::listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<MelodyListView*>(GetWindowLongPtrW(list, GWLP_USERDATA));
    if (message == WM_NCDESTROY && view->tip_ != nullptr) {
        DestroyWindow(view->tip_);
        view->tip_ = nullptr;
    }
    return message == WM_NCDESTROY ? view->listDefault(message, wParam, lParam)
                                   : view->onListMessage(message, wParam, lParam);
}

LRESULT MelodyListView::listDefault(UINT message, WPARAM wParam, LPARAM lParam) const {
    return CallWindowProcW(listDefault_, list_, message, wParam, lParam);
}

LRESULT MelodyListView::onListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: {
            const int item = hitItem(list_, lParam);
            // beside the names, or with the right button, a file list only takes the focus
            if (item < 0 || message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK) {
                SetFocus(list_);
                return 0;
            }
            const bool wasSelected = SendMessageW(list_, LVM_GETITEMSTATE,
                                                  static_cast<WPARAM>(item), LVIS_SELECTED) != 0;
            // Ctrl and Shift would toggle or extend the selection; a file list has neither
            const LRESULT result =
                listDefault(message, wParam & ~static_cast<WPARAM>(MK_CONTROL | MK_SHIFT), lParam);
            // a second click on the selected melody counts again (and plays it again)
            if (wasSelected && message == WM_LBUTTONDOWN) {
                choose(item);
            }
            return result;
        }
        case WM_KEYDOWN:
            // Ctrl+Space would clear the selection
            if (wParam == VK_SPACE && GetKeyState(VK_CONTROL) < 0) {
                return 0;
            }
            break;
        case WM_MOUSEMOVE: {
            if (tip_ == nullptr) {
                // made once the pointer first comes over the list, not while the window opens,
                // for a user who may never point at a cut name; this first move starts its delay
                createNameTip();
                MSG moved{list_, message, wParam, lParam, 0, {}};
                SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&moved));
            }
            const int item = hitItem(list_, lParam);
            if (item != tipItem_ && tip_ != nullptr) {
                // another row: the tip goes, and comes back with that row's name
                tipItem_ = item;
                SendMessageW(tip_, TTM_POP, 0, 0);
            }
            break;
        }
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lParam);
            if (header.hwndFrom == tip_ && header.code == TTN_GETDISPINFOW) {
                auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
                tipText_ = tipTextOf(tipItem_);
                info.lpszText = tipText_.data();
                info.szText[0] = L'\0';
                info.hinst = nullptr;
                return 0;
            }
            break;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(list_, nullptr, FALSE);
            break;
        case WM_SETFONT:
            rowFonts_.assign(names_.size(), std::nullopt);  // each to be had in the new size
            break;
        case WM_SIZE: {
            const LRESULT result = listDefault(message, wParam, lParam);
            fitColumn();
            return result;
        }
        case WM_PAINT: {
            // A scroll moves the pixels drawn, the frame's edges with them, and asks to paint
            // only what it uncovered; a click that gives an entry the keyboard's place asks to
            // paint only that entry, which leaves the frame round the list that it ends. After
            // either the list is painted whole.
            const auto top = static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
            const bool scrolled = std::exchange(paintedTop_, top) != top;
            const bool framed = framesTheList();
            if (framed != frameDrawn_ || (scrolled && framed)) {
                InvalidateRect(list_, nullptr, FALSE);
            }
            if (scrolled) {
                tipOffTheRowsThatMoved();
            }
            break;
        }
        default:
            break;
    }
    return listDefault(message, wParam, lParam);
}

}  // namespace zorvik::gui
