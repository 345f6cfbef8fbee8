// The main window as the program's window system: showing, hiding, states, the pop-up menu,
// the end of the process, and the keyboard's way through the controls.
#include <windows.h>

#include <commctrl.h>

#include "app/frm_main.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_window.h"

namespace platform::win32 {

void Win32Window::show_window() {
    ShowWindow(window_, IsIconic(window_) ? SW_SHOWMINNOACTIVE : SW_SHOW);
    if (!all_created_) {
        // The other tabs' controls are made once the window is up, while the user looks at it.
        SetTimer(window_, kMakeOtherTabs, kMakeOtherTabsDelay, nullptr);
    }
    SetForegroundWindow(window_);
    if (focus_ != nullptr && GetActiveWindow() == window_) {
        SetFocus(focus_);
    }
    UpdateWindow(window_);
    // The first activation comes right after loading, also where the desktop hands the window
    // no activation of its own; later ones come from the window system.
    if (form_ != nullptr && GetActiveWindow() != window_) {
        form_->raise_activate();
    }
}

void Win32Window::set_busy(bool busy) {
    busy_ = busy;
    // Shows the new pointer at once rather than at the next move of the mouse.
    POINT pointer{};
    if (GetCursorPos(&pointer) && WindowFromPoint(pointer) != nullptr) {
        SendMessageW(window_, WM_SETCURSOR, reinterpret_cast<WPARAM>(window_),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
}

void Win32Window::hide_window() {
    ShowWindow(window_, SW_HIDE);
}

bool Win32Window::window_visible() const {
    return IsWindowVisible(window_) != FALSE;
}

void Win32Window::set_window_state(WindowState state) {
    bool minimized = IsIconic(window_) != FALSE;
    if (state == WindowState::Minimized && !minimized && window_visible()) {
        ShowWindow(window_, SW_MINIMIZE);
    } else if (state == WindowState::Normal && minimized) {
        ShowWindow(window_, SW_RESTORE);
    }
}

WindowState Win32Window::window_state() const {
    return IsIconic(window_) ? WindowState::Minimized : WindowState::Normal;
}

void Win32Window::popup_menu(const std::string& name) {
    auto found = menus_.find(name);
    if (found == menus_.end()) {
        return;
    }
    POINT pointer{};
    GetCursorPos(&pointer);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window_);
    UINT chosen = static_cast<UINT>(
        TrackPopupMenu(found->second, TPM_RETURNCMD, pointer.x, pointer.y, 0, window_, nullptr));
    PostMessageW(window_, WM_NULL, 0, 0);
    if (chosen != 0) {
        // The chosen item runs after the handler that opened the menu has finished.
        PostMessageW(window_, WM_COMMAND, chosen, 0);
    }
}

void Win32Window::end_process() {
    ShowWindow(window_, SW_HIDE);
    if (on_end_process) {
        on_end_process();
    } else {
        PostQuitMessage(0);
    }
}

bool Win32Window::translate(MSG& message) {
    if (window_ == nullptr || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) {
        return false;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB &&
        (GetKeyState(VK_CONTROL) & 0x8000) == 0 && (GetKeyState(VK_MENU) & 0x8000) == 0) {
        return move_focus((GetKeyState(VK_SHIFT) & 0x8000) != 0);
    }
    if (message.message == WM_KEYDOWN &&
        (message.wParam == VK_RETURN || message.wParam == VK_SPACE)) {
        // A link opens with Enter or Space, as a button presses.
        if (Native* focused = find(GetFocus()); focused != nullptr && planned(*focused).link) {
            form_->raise_click(*focused->control);
            return true;
        }
    }
    if (message.message == WM_KEYDOWN &&
        (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE)) {
        Native* focused = find(GetFocus());
        auto kind = focused != nullptr ? focused->control->kind() : app::ControlKind::Picture;
        // Enter presses the push button that has the focus.
        if (kind == app::ControlKind::Button && message.wParam == VK_RETURN) {
            SendMessageW(focused->handle, BM_CLICK, 0, 0);
            return true;
        }
        // A text box gets Enter and Esc as the characters they type, for its filter.
        if (kind == app::ControlKind::TextBox) {
            return false;
        }
    }
    return IsDialogMessageW(window_, &message) != FALSE;
}

bool Win32Window::move_focus(bool backwards) {
    const auto& order = plan_->focus_order();
    if (order.empty()) {
        return false;
    }
    // The Tab key follows the window's focus order, which the controls' stacking cannot
    // express: the tab control lies under everything placed on it.
    const std::size_t count = order.size();
    std::size_t at = backwards ? 0 : count - 1;
    HWND focus = GetFocus();
    for (std::size_t i = 0; i < count; ++i) {
        if (natives_[order[i]].handle == focus) {
            at = i;
            break;
        }
    }
    for (std::size_t step = 1; step <= count; ++step) {
        std::size_t next = backwards ? (at + count - step) % count : (at + step) % count;
        HWND candidate = natives_[order[next]].handle;
        if (IsWindowVisible(candidate) && IsWindowEnabled(candidate)) {
            if (natives_[order[next]].control->kind() == app::ControlKind::TextBox) {
                SendMessageW(candidate, EM_SETSEL, 0, -1);
            }
            SetFocus(candidate);
            return true;
        }
    }
    return false;
}

}  // namespace platform::win32
