#pragma once

// Pieces the Win32 file classes share. Internal to platform/win32.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace platform::win32 {

[[noreturn]] void fail(const std::string& what, const std::string& path, DWORD error);

// Owns a file handle; closing early lets a failing close be reported.
class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { close(); }
    HANDLE get() const { return handle_; }
    void reset(HANDLE handle) {
        close();
        handle_ = handle;
    }
    bool close() {
        bool closed = handle_ == INVALID_HANDLE_VALUE || ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens a file on disk; a device, a pipe or a folder is refused with a message naming the path.
// A file it creates gets `security` (the folder's inherited rights when null).
HANDLE open_disk_file(const std::string& what, const std::string& path, DWORD access,
                      DWORD disposition, SECURITY_ATTRIBUTES* security = nullptr);
void write_all(HANDLE file, std::string_view bytes, const std::string& path);
std::uint64_t size_of(HANDLE file, const std::string& path);
FileStamp stamp_of(HANDLE file, const std::string& path);

// How much of `bytes` ends on a whole character, in UTF-8 or in the ANSI code page; the rest
// waits for the next chunk.
std::size_t whole_utf8(std::string_view bytes);
std::size_t whole_ansi(std::string_view bytes);

}  // namespace platform::win32
