#include "platform/win32/win32_tray.h"

#include <algorithm>

#include "platform/win32/win32_window_text.h"

namespace platform::win32 {

Win32Tray::~Win32Tray() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (sender_.joinable()) {
        sender_.join();
    }
}

void Win32Tray::attach(HWND window, HICON icon) {
    window_ = window;
    icon_ = icon;
}

bool Win32Tray::available() const {
    return shown_wanted_ || FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

void Win32Tray::send(DWORD message, const NotifyIconData& icon) {
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
    {
        std::lock_guard lock(mutex_);
        queue_.emplace_back(message, data);
        if (!sender_.joinable()) {
            sender_ = std::thread([this] { send_queued(); });
        }
    }
    wake_.notify_one();
}

void Win32Tray::send_queued() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;
        }
        auto [message, data] = queue_.front();
        queue_.pop_front();
        lock.unlock();
        // Adding an icon that is already there is refused by the shell, without effect.
        Shell_NotifyIconW(message, &data);
        lock.lock();
    }
}

void Win32Tray::add(const NotifyIconData& icon) {
    if (window_ == nullptr) {
        return;
    }
    send(NIM_ADD, icon);
    shown_wanted_ = true;
    shown_ = icon;
}

void Win32Tray::remove(const NotifyIconData& icon) {
    if (window_ != nullptr) {
        send(NIM_DELETE, icon);
    }
    shown_wanted_ = false;
}

void Win32Tray::restore() {
    if (shown_wanted_) {
        send(NIM_ADD, shown_);
    }
}

}  // namespace platform::win32
