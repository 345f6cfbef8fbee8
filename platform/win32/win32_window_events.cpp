// How the main window turns the user's actions into the model's events.
#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include "app/frm_main.h"
#include "app/window_plan.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_window.h"
#include "platform/win32/win32_window_art.h"
#include "platform/win32/win32_window_text.h"

namespace platform::win32 {
namespace {

// The clipboard keys that type no character, as the codes of the keys that do.
int clipboard_key(WPARAM key) {
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (key == VK_INSERT && shift && !control) {
        return app::keys::kPaste;
    }
    if (key == VK_INSERT && control && !shift) {
        return app::keys::kCopy;
    }
    if (key == VK_DELETE && shift && !control) {
        return app::keys::kCut;
    }
    return -1;
}

}  // namespace

LRESULT CALLBACK Win32Window::window_procedure(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* creation = reinterpret_cast<CREATESTRUCTW*>(lparam);
        auto* self = static_cast<Win32Window*>(creation->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->form_ == nullptr) {
        return DefWindowProcW(window, message, wparam, lparam);
    }
    return self->handle_message(message, wparam, lparam);
}

LRESULT Win32Window::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            if (handle_command(wparam, lparam)) {
                return 0;
            }
            break;
        case WM_NOTIFY:
            return handle_notify(*reinterpret_cast<NMHDR*>(lparam));
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            return handle_colour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam),
                                 message == WM_CTLCOLOREDIT);
        case WM_DRAWITEM:
            handle_draw(*reinterpret_cast<DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        case WM_SETCURSOR:
            if (busy_ && LOWORD(lparam) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
                return TRUE;
            }
            if (Native* native = find(reinterpret_cast<HWND>(wparam));
                native != nullptr && planned(*native).link) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wparam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window_, focus)) {
                    focus_ = focus;
                }
            } else {
                if (focus_ != nullptr && IsWindowVisible(focus_)) {
                    SetFocus(focus_);
                }
                form_->raise_activate();
            }
            return 0;
        case WM_TIMER:
            if (wparam == kMakeOtherTabs) {
                KillTimer(window_, kMakeOtherTabs);
                create_all_controls();
                return 0;
            }
            break;
        case WM_CLOSE:
            close_request(session_ending_ ? app::vbAppWindows : app::vbFormControlMenu);
            return 0;
        case WM_QUERYENDSESSION:
            session_ending_ = true;
            return TRUE;
        case WM_ENDSESSION:
            if (wparam != FALSE) {
                close_request(app::vbAppWindows);
            } else {
                session_ending_ = false;
            }
            return 0;
        case WM_MOUSEMOVE:
            if (handle_tray_callback(wparam, lparam)) {
                return 0;
            }
            break;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wparam);
            make_fonts();
            layout();
            const RECT* suggested = reinterpret_cast<RECT*>(lparam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_THEMECHANGED:
        case WM_SYSCOLORCHANGE:
            paint_tab_background();
            InvalidateRect(window_, nullptr, TRUE);
            break;
        default:
            if (message == taskbar_created_ && taskbar_created_ != 0 && on_taskbar_created) {
                on_taskbar_created();
                return 0;
            }
            break;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

bool Win32Window::handle_command(WPARAM wparam, LPARAM lparam) {
    if (lparam == 0) {
        auto item = menu_items_.find(LOWORD(wparam));
        if (item != menu_items_.end()) {
            form_->raise_click(*item->second);
            return true;
        }
        return false;
    }
    Native* native = find(reinterpret_cast<HWND>(lparam));
    if (native == nullptr || mirroring_) {
        return false;
    }
    app::Control& control = *native->control;
    const UINT code = HIWORD(wparam);
    using K = app::ControlKind;
    switch (control.kind()) {
        case K::Button:
            if (code == BN_CLICKED) {
                form_->raise_click(control);
            }
            break;
        case K::CheckBox:
        case K::OptionButton:
            if (code == BN_CLICKED) {
                bool ticked = SendMessageW(native->handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
                form_->raise_value_change(control, app::value_after_click(control.kind(), ticked));
                // The box shows the value the click left, also where that is the one it had.
                mirror(*native, app::Property::Value);
            }
            break;
        case K::Label:
            if (code == STN_CLICKED) {
                form_->raise_click(control);
            }
            break;
        case K::TextBox:
            if (code == EN_CHANGE) {
                form_->raise_text_edit(control, window_text(native->handle));
            }
            break;
        case K::ListBox:
            if (code == LBN_SELCHANGE) {
                int index = static_cast<int>(SendMessageW(native->handle, LB_GETCURSEL, 0, 0));
                form_->raise_list_select(control, index);
            }
            break;
        default:
            return false;
    }
    return true;
}

LRESULT Win32Window::handle_notify(NMHDR& header) {
    if (header.hwndFrom == tabs_ && header.code == TCN_SELCHANGE) {
        int index = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
        show_tab(index);
        form_->raise_tab_change(index);
        return 0;
    }
    if (header.code == UDN_DELTAPOS) {
        if (Native* native = find(header.hwndFrom)) {
            const auto& change = reinterpret_cast<NMUPDOWN&>(header);
            form_->raise_spin(*native->control, change.iDelta > 0 ? 1 : -1);
        }
        // The length box holds the number; the control's own position stays put.
        return 1;
    }
    return DefWindowProcW(window_, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

LRESULT Win32Window::handle_colour(HDC dc, HWND child, bool edit) {
    Native* native = find(child);
    if (native == nullptr) {
        return DefWindowProcW(window_, edit ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                              reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    }
    const app::Control& control = *native->control;
    if (control.kind() == app::ControlKind::TextBox) {
        if (control.background() != app::SystemColour::Default) {
            // The grey of inactive borders is the dialog face on today's desktops.
            int index = control.background() == app::SystemColour::InactiveBorder ? COLOR_BTNFACE
                                                                                  : COLOR_WINDOW;
            SetBkColor(dc, GetSysColor(index));
            SetTextColor(dc, GetSysColor(control.enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(index));
        }
        return DefWindowProcW(window_, edit ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                              reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    }
    if (planned(*native).link) {
        // Under a high-contrast theme, its link colour.
        SetTextColor(dc, high_contrast() ? GetSysColor(COLOR_HOTLIGHT) : RGB(0, 0, 255));
    }
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(background(dc, *native));
}

HBRUSH Win32Window::background(HDC dc, const Native& native) {
    if (native.control->definition().tab == app::kOnEveryTab || tab_background_ == nullptr) {
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    // Line the tab control's picture up with the control's place on it.
    RECT place{};
    GetWindowRect(native.handle, &place);
    MapWindowPoints(nullptr, tabs_, reinterpret_cast<POINT*>(&place), 2);
    SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
    return tab_background_;
}

void Win32Window::handle_draw(DRAWITEMSTRUCT& item) {
    Native* native = find(item.hwndItem);
    if (native == nullptr) {
        return;
    }
    const app::Control& control = *native->control;
    if (control.kind() == app::ControlKind::Picture) {
        draw_banner(item.hDC, item.rcItem);
        return;
    }
    if (control.kind() == app::ControlKind::Meter) {
        draw_meter(item.hDC, item.rcItem, control.value());
        return;
    }
    if (control.kind() != app::ControlKind::ListBox) {
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool enabled = (item.itemState & ODS_DISABLED) == 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != static_cast<UINT>(-1) && item.itemID < control.items().size()) {
        std::wstring text = wide(control.items().at(item.itemID));
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, GetSysColor(!enabled   ? COLOR_GRAYTEXT
                                           : selected ? COLOR_HIGHLIGHTTEXT
                                                      : COLOR_WINDOWTEXT));
        RECT text_area = item.rcItem;
        text_area.left += 2;
        DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &text_area,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (item.itemState & ODS_FOCUS) {
        DrawFocusRect(item.hDC, &item.rcItem);
    }
}

bool Win32Window::handle_tray_callback(WPARAM wparam, LPARAM lparam) {
    // The tray icon's notifications come as this window's mouse move, with the icon's number in
    // the first parameter and the mouse message in the second. A real mouse move carries the
    // pointer's place there instead.
    if (wparam != 1 || (lparam != WM_LBUTTONUP && lparam != WM_RBUTTONUP)) {
        return false;
    }
    DWORD at = GetMessagePos();
    POINT pointer{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    ScreenToClient(window_, &pointer);
    if (MAKELPARAM(pointer.x, pointer.y) == lparam) {
        return false;
    }
    if (on_tray_mouse) {
        on_tray_mouse(lparam == WM_LBUTTONUP ? 1 : 2);
    }
    return true;
}

void Win32Window::close_request(int unload_mode) {
    int cancel = 0;
    form_->raise_query_unload(cancel, unload_mode);
    if (cancel != 0) {
        return;
    }
    form_->raise_unload();
    end_process();
}

LRESULT CALLBACK Win32Window::control_procedure(HWND handle, UINT message, WPARAM wparam,
                                                LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<Win32Window*>(data);
    Native* native = self->find(handle);
    if (native == nullptr || self->form_ == nullptr) {
        return DefSubclassProc(handle, message, wparam, lparam);
    }
    return self->handle_control_message(*native, handle, message, wparam, lparam);
}

LRESULT Win32Window::handle_control_message(Native& native, HWND handle, UINT message,
                                            WPARAM wparam, LPARAM lparam) {
    if (message == WM_LBUTTONDOWN && handle == tabs_) {
        TCHITTESTINFO hit{{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}, 0};
        int index =
            static_cast<int>(SendMessageW(tabs_, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        LRESULT shown = SendMessageW(tabs_, TCM_GETCURSEL, 0, 0);
        LRESULT result = DefSubclassProc(handle, message, wparam, lparam);
        if (app::click_refreshes_tab(index, static_cast<int>(shown))) {
            form_->raise_tab_change(index);
        }
        return result;
    }
    if (planned(native).link) {
        // A link shows where the keyboard's focus is, as a button does.
        if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
            InvalidateRect(handle, nullptr, TRUE);
        } else if (message == WM_PAINT && GetFocus() == handle) {
            LRESULT result = DefSubclassProc(handle, message, wparam, lparam);
            HDC dc = GetDC(handle);
            HGDIOBJ old = SelectObject(dc, font_for(native));
            std::wstring caption = wide(native.control->caption());
            RECT text{};
            GetClientRect(handle, &text);
            DrawTextW(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
            DrawFocusRect(dc, &text);
            SelectObject(dc, old);
            ReleaseDC(handle, dc);
            return result;
        }
        return DefSubclassProc(handle, message, wparam, lparam);
    }
    if (message == WM_PAINT && native.control->kind() == app::ControlKind::Frame) {
        // A frame draws only its border and caption; what lies under it shows through.
        RECT inside{};
        GetClientRect(handle, &inside);
        HDC dc = GetDC(handle);
        FillRect(dc, &inside, background(dc, native));
        ReleaseDC(handle, dc);
        return DefSubclassProc(handle, message, wparam, lparam);
    }
    if (native.control->kind() != app::ControlKind::TextBox ||
        (message != WM_CHAR && message != WM_KEYDOWN)) {
        return DefSubclassProc(handle, message, wparam, lparam);
    }
    if (message == WM_KEYDOWN) {
        int code = clipboard_key(wparam);
        if (code > 0) {
            form_->raise_key_press(*native.control, code);
            if (code == 0) {
                return 0;
            }
        }
        return DefSubclassProc(handle, message, wparam, lparam);
    }
    // A character beyond the first plane comes as two halves; the handler sees it whole.
    auto unit = static_cast<wchar_t>(wparam);
    if (IS_HIGH_SURROGATE(unit)) {
        high_surrogate_ = unit;
        return 0;
    }
    wchar_t high = high_surrogate_;
    high_surrogate_ = 0;
    int code = unit;
    if (IS_LOW_SURROGATE(unit) && high != 0) {
        code = 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00);
    }
    form_->raise_key_press(*native.control, code);
    if (code == 0) {
        return 0;
    }
    if (code >= 0x10000) {
        DefSubclassProc(handle, WM_CHAR, high, lparam);
        return DefSubclassProc(handle, WM_CHAR, unit, lparam);
    }
    return DefSubclassProc(handle, WM_CHAR, static_cast<WPARAM>(code), lparam);
}

}  // namespace platform::win32
