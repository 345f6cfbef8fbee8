#include "platform/win32/win32_messages.h"

#include "platform/win32/win32_window_text.h"

namespace platform::win32 {

void Win32MessageBoxes::show(const std::string& text, const std::string& caption,
                             MessageIcon icon) {
    HWND owner = owner_ ? owner_() : nullptr;
    if (owner != nullptr && !IsWindowVisible(owner)) {
        owner = nullptr;
    }
    UINT style = MB_OK | (icon == MessageIcon::Critical ? MB_ICONERROR : 0);
    if (owner == nullptr) {
        style |= MB_SETFOREGROUND;
    }
    MessageBoxW(owner, wide(text).c_str(), wide(caption).c_str(), style);
}

std::optional<std::string> Win32MessageBoxes::ask(const std::string&, const std::string&) {
    return std::nullopt;
}

void Win32Sound::beep() {
    MessageBeep(MB_OK);
}

}  // namespace platform::win32
