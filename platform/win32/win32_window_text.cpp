#include "platform/win32/win32_window_text.h"

#include <windows.h>

namespace platform::win32 {

std::wstring wide(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string narrow(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

std::size_t utf16_offset(std::wstring_view text, std::size_t index) {
    std::size_t offset = 0;
    for (std::size_t seen = 0; seen < index && offset < text.size(); ++seen) {
        bool pair = IS_HIGH_SURROGATE(text[offset]) && offset + 1 < text.size() &&
                    IS_LOW_SURROGATE(text[offset + 1]);
        offset += pair ? 2 : 1;
    }
    return offset;
}

}  // namespace platform::win32
