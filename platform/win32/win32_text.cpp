#include "platform/win32/win32_text.h"

#include <cstdint>
#include <cstring>

#include <windows.h>

namespace platform::win32 {
namespace {

std::wstring to_utf16(UINT code_page, std::string_view text) {
    if (text.empty()) {
        return {};
    }
    auto size = static_cast<int>(text.size());
    int length = ::MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(code_page, 0, text.data(), size, out.data(), length);
    return out;
}

std::string from_utf16(UINT code_page, DWORD flags, std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    auto size = static_cast<int>(text.size());
    int length =
        ::WideCharToMultiByte(code_page, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(code_page, flags, text.data(), size, out.data(), length, nullptr,
                          nullptr);
    return out;
}

// The UTF-8 code page takes no conversion flags.
DWORD ansi_flags() {
    return ::GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
}

}  // namespace

std::wstring wide(std::string_view utf8) {
    return to_utf16(CP_UTF8, utf8);
}

std::string narrow(std::wstring_view utf16) {
    return from_utf16(CP_UTF8, 0, utf16);
}

std::string to_ansi(std::string_view utf8) {
    if (is_ascii(utf8)) {
        return std::string(utf8);
    }
    return from_utf16(CP_ACP, ansi_flags(), wide(utf8));
}

std::string from_ansi(std::string_view ansi) {
    if (is_ascii(ansi)) {
        return std::string(ansi);
    }
    return narrow(to_utf16(CP_ACP, ansi));
}

bool is_ascii(std::string_view bytes) {
    // Eight bytes at a time: a file of records is megabytes long.
    std::uint64_t high = 0;
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        high |= word;
    }
    for (; at < bytes.size(); ++at) {
        high |= static_cast<unsigned char>(bytes[at]);
    }
    return (high & 0x8080808080808080ull) == 0;
}

std::string describe_error(unsigned long code) {
    wchar_t* text = nullptr;
    DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) {
        return "Error " + std::to_string(code) + ".";
    }
    std::string message = narrow(std::wstring_view(text, length));
    ::LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    if (!message.empty() && message.back() != '.') {
        message += '.';
    }
    return message;
}

}  // namespace platform::win32
