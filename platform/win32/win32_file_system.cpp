#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/win32/win32_random_source.h"
#include "platform/win32/win32_text.h"

namespace platform::win32 {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, DWORD error) {
    throw FileError(what + " \"" + path + "\": " + describe_error(error));
}

// Owns a file handle for the length of one operation.
class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { close(); }
    HANDLE get() const { return handle_; }
    // Closes now, so that a failing close is reported.
    bool close() {
        bool closed = handle_ == INVALID_HANDLE_VALUE || ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE open_disk_file(const std::string& what, const std::string& path, DWORD access,
                      DWORD disposition) {
    HANDLE handle = ::CreateFileW(wide(path).c_str(), access, kShareAll, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        fail(what, path, ::GetLastError());
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        throw FileError(what + " \"" + path + "\": it is a device or a pipe, not a file.");
    }
    return handle;
}

void write_all(HANDLE file, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            fail("Could not write to", path, ::GetLastError());
        }
        bytes.remove_prefix(written);
    }
}

std::uint64_t size_of(HANDLE file, const std::string& path) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) {
        fail("Could not read", path, ::GetLastError());
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

// `count` bytes from `offset`, or fewer at the end of the file.
std::string read_at(HANDLE file, std::uint64_t offset, std::size_t count, const std::string& path) {
    std::string bytes(count, '\0');
    std::size_t used = 0;
    while (used < count) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + used);
        at.OffsetHigh = static_cast<DWORD>((offset + used) >> 32);
        auto chunk = static_cast<DWORD>(std::min<std::size_t>(count - used, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(file, bytes.data() + used, chunk, &got, &at)) {
            DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                break;
            }
            fail("Could not read", path, error);
        }
        if (got == 0) {
            break;
        }
        used += got;
    }
    bytes.resize(used);
    return bytes;
}

void set_end(HANDLE file, std::uint64_t size) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(size);
    ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file);
}

std::string folder_of(const std::string& path) {
    auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) {
        return ".";
    }
    return path.substr(0, slash);
}

// The file a link points to, so that a replacement lands beside the target, not the link.
std::string final_path(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return path;
    }
    HANDLE handle = ::CreateFileW(wide(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return path;
    }
    Handle owner(handle);
    std::wstring target(MAX_PATH, L'\0');
    DWORD length =
        ::GetFinalPathNameByHandleW(handle, target.data(), static_cast<DWORD>(target.size()), 0);
    if (length >= target.size()) {
        target.resize(length + 1);
        length = ::GetFinalPathNameByHandleW(handle, target.data(),
                                             static_cast<DWORD>(target.size()), 0);
    }
    if (length == 0 || length >= target.size()) {
        return path;
    }
    target.resize(length);
    return narrow(target);
}

// A replacement cut short (the program killed, the power gone) leaves its temporary file behind,
// holding a copy of the contents; the next replacement of the same file removes it.
void remove_leftovers(const std::string& folder, const std::string& prefix) {
    WIN32_FIND_DATAW entry{};
    HANDLE listing = ::FindFirstFileW(wide(folder + "\\" + prefix + "*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ::DeleteFileW(wide(folder + "\\" + narrow(entry.cFileName)).c_str());
        }
    } while (::FindNextFileW(listing, &entry));
    ::FindClose(listing);
}

std::string random_suffix() {
    std::uint8_t bytes[8];
    Win32RandomSource().fill(bytes, sizeof bytes);
    char text[sizeof bytes * 2 + 1];
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        std::snprintf(text + 2 * i, 3, "%02x", bytes[i]);
    }
    return text;
}

class Win32AppendFile : public AppendFile {
  public:
    Win32AppendFile(std::string path, HANDLE file) : path_(std::move(path)), file_(file) {}

    std::string tail(std::size_t count) override {
        std::uint64_t size = size_of(file_.get(), path_);
        auto take = static_cast<std::size_t>(std::min<std::uint64_t>(count, size));
        return from_ansi(read_at(file_.get(), size - take, take, path_));
    }

    // All or nothing: a write that fails part-way is cut back off the file.
    void write(std::string_view bytes) override {
        std::uint64_t size = size_of(file_.get(), path_);
        LARGE_INTEGER end{};
        if (!::SetFilePointerEx(file_.get(), end, nullptr, FILE_END)) {
            fail("Could not write to", path_, ::GetLastError());
        }
        try {
            write_all(file_.get(), to_ansi(bytes), path_);
        } catch (const FileError&) {
            set_end(file_.get(), size);
            throw;
        }
    }

  private:
    std::string path_;
    Handle file_;
};

}  // namespace

bool Win32FileSystem::exists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_DEVICE);
}

std::string Win32FileSystem::read_all(const std::string& path) {
    Handle file(open_disk_file("Could not open", path, GENERIC_READ, OPEN_EXISTING));
    // The size is a hint only: the file may grow or shrink while it is read.
    std::string bytes;
    std::size_t used = 0;
    bytes.resize(static_cast<std::size_t>(size_of(file.get(), path)) + 1);
    for (;;) {
        if (used == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - used, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes.data() + used, chunk, &got, nullptr)) {
            fail("Could not read", path, ::GetLastError());
        }
        if (got == 0) {
            break;
        }
        used += got;
    }
    bytes.resize(used);
    return from_ansi(bytes);
}

// Access rights are those the folder hands down: Windows has no owner-only mode bits.
void Win32FileSystem::touch(const std::string& path, FileAccess) {
    Handle file(open_disk_file("Could not create", path, GENERIC_WRITE, OPEN_ALWAYS));
    if (!file.close()) {
        fail("Could not create", path, ::GetLastError());
    }
}

void Win32FileSystem::create(const std::string& path, std::string_view contents, FileAccess) {
    Handle file(open_disk_file("Could not create", path, GENERIC_WRITE, CREATE_ALWAYS));
    write_all(file.get(), to_ansi(contents), path);
    if (!file.close()) {
        fail("Could not write to", path, ::GetLastError());
    }
}

std::unique_ptr<AppendFile> Win32FileSystem::open_for_append(const std::string& path) {
    HANDLE file =
        open_disk_file("Could not open", path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    return std::make_unique<Win32AppendFile>(path, file);
}

void Win32FileSystem::replace(const std::string& path, std::string_view contents, FileAccess) {
    const std::string target = final_path(path);
    const std::wstring wide_target = wide(target);
    DWORD attributes = ::GetFileAttributesW(wide_target.c_str());
    bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (existed && (attributes & FILE_ATTRIBUTE_READONLY)) {
        throw FileError("The file \"" + path + "\" is read-only, so it was not changed.");
    }
    if (existed) {
        // Refuses a device or a folder before anything is written.
        Handle check(open_disk_file("Could not replace", path, 0, OPEN_EXISTING));
    }

    const std::string folder = folder_of(target);
    const std::string prefix = "." + target.substr(target.find_last_of("\\/") + 1) + ".tmp";
    remove_leftovers(folder, prefix);

    std::string temporary;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; handle == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = folder + "\\" + prefix + random_suffix();
        handle = ::CreateFileW(wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD error = ::GetLastError();
        if (handle == INVALID_HANDLE_VALUE && (error != ERROR_FILE_EXISTS || attempt == 20)) {
            fail("Could not create a temporary file beside", path, error);
        }
    }
    const std::wstring wide_temporary = wide(temporary);
    Handle file(handle);
    auto discard = [&](const char* what, DWORD error) {
        file.close();
        ::DeleteFileW(wide_temporary.c_str());
        fail(what, path, error);
    };
    try {
        write_all(file.get(), to_ansi(contents), path);
    } catch (const FileError&) {
        file.close();
        ::DeleteFileW(wide_temporary.c_str());
        throw;
    }
    if (!::FlushFileBuffers(file.get())) {
        discard("Could not flush the new contents of", ::GetLastError());
    }
    if (!file.close()) {
        discard("Could not write the new contents of", ::GetLastError());
    }
    // ReplaceFileW keeps the old file's attributes and access rights; when it cannot (another
    // volume, a file system without it) a plain rename still swaps the contents in one step.
    if (existed && ::ReplaceFileW(wide_target.c_str(), wide_temporary.c_str(), nullptr,
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        return;
    }
    if (!::MoveFileExW(wide_temporary.c_str(), wide_target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        discard("Could not replace", ::GetLastError());
    }
}

void Win32FileSystem::make_writable(const std::string& path) {
    const std::wstring name = wide(path);
    DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        fail("Could not read the attributes of", path, ::GetLastError());
    }
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) {
        return;
    }
    if (!::SetFileAttributesW(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        fail("Could not make writable", path, ::GetLastError());
    }
}

}  // namespace platform::win32
