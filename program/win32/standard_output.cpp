#include "program/win32/standard_output.h"

#include <shellapi.h>

#include "platform/win32/win32_text.h"

namespace program::win32 {

HANDLE StandardOutput::target() {
    if (looked_) {
        return handle_;
    }
    looked_ = true;
    HANDLE given = ::GetStdHandle(which_);
    if (given != nullptr && given != INVALID_HANDLE_VALUE) {
        handle_ = given;
    } else if (::AttachConsole(ATTACH_PARENT_PROCESS) || ::GetLastError() == ERROR_ACCESS_DENIED) {
        // Access is denied when the process has its console already.
        HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
        handle_ = console == INVALID_HANDLE_VALUE ? nullptr : console;
    }
    return handle_;
}

void StandardOutput::write(std::string_view utf8) {
    HANDLE handle = target();
    if (handle == nullptr || utf8.empty()) {
        return;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
        std::wstring text = platform::win32::wide(utf8);
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    std::string bytes;
    for (char c : platform::win32::to_ansi(utf8)) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

StandardOutput::int_type StandardOutput::overflow(int_type c) {
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        pending_ += traits_type::to_char_type(c);
        if (c == '\n') {
            sync();
        }
    }
    return traits_type::not_eof(c);
}

std::streamsize StandardOutput::xsputn(const char* text, std::streamsize count) {
    pending_.append(text, static_cast<std::size_t>(count));
    // Whole lines only, so that no character is cut between two writes.
    std::size_t end = pending_.rfind('\n');
    if (end != std::string::npos) {
        write(std::string_view(pending_).substr(0, end + 1));
        pending_.erase(0, end + 1);
    }
    return count;
}

int StandardOutput::sync() {
    write(pending_);
    pending_.clear();
    return 0;
}

Arguments::Arguments() {
    int count = 0;
    wchar_t** given = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 0; given != nullptr && i < count; ++i) {
        values_.push_back(platform::win32::narrow(given[i]));
    }
    if (given != nullptr) {
        ::LocalFree(given);
    }
    if (values_.empty()) {
        values_.emplace_back("keymint");
    }
    for (const auto& value : values_) {
        pointers_.push_back(value.c_str());
    }
    pointers_.push_back(nullptr);
}

}  // namespace program::win32
