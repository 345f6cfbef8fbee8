#include "platform/win32/win32_tray.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/win32/win32_window_text.h"

namespace platform::win32 {

void Win32Tray::attach(HWND window, HICON icon) {
    window_ = window;
    icon_ = icon;
}

bool Win32Tray::available() const {
    return added_ || FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

bool Win32Tray::send(DWORD message, const NotifyIconData& icon) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = icon.uID;
    data.uFlags = icon.uFlags;
    data.uCallbackMessage = icon.uCallbackMessage;
    data.hIcon = icon_;
    std::wstring tip = wide(icon.szTip);
    tip.resize(std::min(tip.size(), std::size(data.szTip) - 1));
    std::copy(tip.begin(), tip.end(), data.szTip);
    return Shell_NotifyIconW(message, &data) != FALSE;
}

void Win32Tray::add(const NotifyIconData& icon) {
    if (window_ == nullptr) {
        return;
    }
    // Adding an icon that is already there is refused by the shell, without effect.
    if (send(NIM_ADD, icon)) {
        added_ = true;
    }
    shown_ = icon;
}

void Win32Tray::remove(const NotifyIconData& icon) {
    if (window_ != nullptr) {
        send(NIM_DELETE, icon);
    }
    added_ = false;
}

void Win32Tray::restore() {
    if (added_) {
        send(NIM_ADD, shown_);
    }
}

}  // namespace platform::win32
