#include "platform/win32/win32_file_system.h"

#include <algorithm>
#include <cstring>

#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include "platform/win32/win32_file_io.h"
#include "platform/win32/win32_replacement.h"
#include "platform/win32/win32_text.h"

namespace platform::win32 {
namespace {

std::size_t read_some(HANDLE file, char* buffer, std::size_t count, const std::string& path) {
    DWORD got = 0;
    auto chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    if (!::ReadFile(file, buffer, chunk, &got, nullptr)) {
        fail("Could not read", path, ::GetLastError());
    }
    return got;
}

void seek_to(HANDLE file, std::uint64_t offset, const std::string& path) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
        fail("Could not read", path, ::GetLastError());
    }
}

class Win32AppendFile : public AppendFile {
  public:
    Win32AppendFile(std::string path, HANDLE file) : path_(std::move(path)), file_(file) {}

    std::string tail(std::size_t count) override {
        std::uint64_t size = size_of(file_.get(), path_);
        auto take = static_cast<std::size_t>(std::min<std::uint64_t>(count, size));
        std::string bytes(take, '\0');
        bytes.resize(read_as_stored(size - take, bytes.data(), take));
        return from_ansi(bytes);
    }

    void write(std::string_view bytes) override {
        std::uint64_t before = size_of(file_.get(), path_);
        seek_to(file_.get(), before, path_);
        try {
            write_all(file_.get(), to_ansi(bytes), path_);
            if (!::FlushFileBuffers(file_.get())) {
                fail("Could not flush", path_, ::GetLastError());
            }
        } catch (const FileError&) {
            // A part of a record is worse than none, and so is one that may not be on the disk:
            // cut it off again.
            seek_to(file_.get(), before, path_);
            ::SetEndOfFile(file_.get());
            throw;
        }
    }

    FileStamp stamp() override { return stamp_of(file_.get(), path_); }

    std::optional<FileStamp> seal() override {
        FILETIME written{};
        if (!::GetFileTime(file_.get(), nullptr, nullptr, &written)) {
            return std::nullopt;
        }
        ULARGE_INTEGER step{};
        step.LowPart = written.dwLowDateTime;
        step.HighPart = written.dwHighDateTime;
        --step.QuadPart;  // one 100-nanosecond step
        written.dwLowDateTime = step.LowPart;
        written.dwHighDateTime = step.HighPart;
        if (!::SetFileTime(file_.get(), nullptr, nullptr, &written)) {
            return std::nullopt;
        }
        return stamp();
    }

    std::size_t read_as_stored(std::uint64_t offset, char* buffer, std::size_t count) override {
        std::size_t used = 0;
        while (used < count) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset + used);
            at.OffsetHigh = static_cast<DWORD>((offset + used) >> 32);
            DWORD got = 0;
            auto chunk = static_cast<DWORD>(std::min<std::size_t>(count - used, 1u << 30));
            if (!::ReadFile(file_.get(), buffer + used, chunk, &got, &at)) {
                if (::GetLastError() == ERROR_HANDLE_EOF) {
                    break;
                }
                fail("Could not read", path_, ::GetLastError());
            }
            if (got == 0) {
                break;
            }
            used += got;
        }
        return used;
    }

  private:
    std::string path_;
    Handle file_;
};

// Hands out the file's text in UTF-8, converting whole characters only.
class Win32ReadFile : public ReadFile {
  public:
    // `convert` false hands out the bytes as they are.
    Win32ReadFile(std::string path, HANDLE file, bool convert)
        : path_(std::move(path)), file_(file), convert_(convert) {}

    std::size_t read(char* buffer, std::size_t count) override {
        if (converted_.empty() && pending_.empty() && count > 0) {
            std::size_t got = read_some(file_.get(), buffer, count, path_);
            // Every code page writes ASCII as UTF-8 does: most files need no conversion.
            if (!convert_ || is_ascii(std::string_view(buffer, got))) {
                return got;
            }
            std::string_view raw(buffer, got);
            std::size_t whole = whole_ansi(raw);
            pending_ = raw.substr(whole);
            converted_ = from_ansi(raw.substr(0, whole));
        }
        while (converted_.empty() && count > 0) {
            std::string raw = pending_;
            std::size_t kept = raw.size();
            raw.resize(kept + std::max<std::size_t>(count, 4096));
            std::size_t got = read_some(file_.get(), raw.data() + kept, raw.size() - kept, path_);
            raw.resize(kept + got);
            std::size_t whole = got == 0 ? raw.size() : whole_ansi(raw);
            pending_ = raw.substr(whole);
            converted_ = from_ansi(std::string_view(raw).substr(0, whole));
            if (got == 0) {
                break;
            }
        }
        std::size_t take = std::min(count, converted_.size());
        std::memcpy(buffer, converted_.data(), take);
        converted_.erase(0, take);
        return take;
    }

    void seek(std::uint64_t offset) override {
        seek_to(file_.get(), offset, path_);
        pending_.clear();
        converted_.clear();
    }

    FileStamp stamp() override { return stamp_of(file_.get(), path_); }

  private:
    std::string path_;
    Handle file_;
    bool convert_;
    std::string pending_;    // the first byte of a character split between two reads
    std::string converted_;  // text the caller's buffer had no room for yet
};

}  // namespace

bool Win32FileSystem::exists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

std::string Win32FileSystem::read_all(const std::string& path) {
    return read_to_end(*open_for_read(path));
}

// Access rights are those the folder hands down: Windows has no owner-only mode bits.
void Win32FileSystem::touch(const std::string& path, FileAccess) {
    if (::GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        // An existing file is left alone, so a read-only one is fine here.
        Handle check(open_disk_file("Could not open", path, 0, OPEN_EXISTING));
        return;
    }
    Handle file(open_disk_file("Could not create", path, GENERIC_WRITE, OPEN_ALWAYS));
    if (!file.close()) {
        fail("Could not create", path, ::GetLastError());
    }
}

void Win32FileSystem::create(const std::string& path, std::string_view contents, FileAccess) {
    const char* what = exists(path) ? "Could not write to" : "Could not create";
    Handle file(open_disk_file(what, path, GENERIC_WRITE, CREATE_ALWAYS));
    write_all(file.get(), to_ansi(contents), path);
    if (!file.close()) {
        fail("Could not write to", path, ::GetLastError());
    }
}

namespace {

FileStamp stamp_of_path(const std::string& path) {
    Handle file(open_disk_file("Could not read the attributes of", path, 0, OPEN_EXISTING));
    return stamp_of(file.get(), path);
}

// Rights for the user alone, for a file holding passwords; empty when they cannot be made, and
// the file then takes its folder's.
class OwnerOnly {
  public:
    OwnerOnly() {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
            return;
        }
        DWORD size = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::string user(size, '\0');
        wchar_t* sid = nullptr;
        if (size > 0 && ::GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
            ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid)) {
            // A protected list with one entry: full access for this user, nothing inherited.
            const std::wstring rights = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
            ::LocalFree(sid);
            if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                    rights.c_str(), SDDL_REVISION_1, &attributes_.lpSecurityDescriptor, nullptr)) {
                attributes_.nLength = sizeof attributes_;
            }
        }
        ::CloseHandle(token);
    }
    ~OwnerOnly() { ::LocalFree(attributes_.lpSecurityDescriptor); }
    OwnerOnly(const OwnerOnly&) = delete;
    OwnerOnly& operator=(const OwnerOnly&) = delete;
    SECURITY_ATTRIBUTES* get() {
        return attributes_.lpSecurityDescriptor != nullptr ? &attributes_ : nullptr;
    }

  private:
    SECURITY_ATTRIBUTES attributes_{};
};

// Empty when `wait` is false and someone else holds the lock.
std::unique_ptr<AppendFile> open_locked(const std::string& path, bool wait) {
    // A rewrite puts a new file in place while it holds the old one's lock: whoever waited for
    // that lock appends to the new file instead.
    for (;;) {
        static OwnerOnly rights;
        HANDLE file = open_disk_file("Could not open", path, GENERIC_READ | GENERIC_WRITE,
                                     OPEN_ALWAYS, rights.get());
        auto appending = std::make_unique<Win32AppendFile>(path, file);
        // Windows locks keep everyone else from reading what they cover, so the lock that keeps
        // two appenders apart covers one byte far beyond any end of the file: it is a token.
        OVERLAPPED token{};
        token.Offset = 0xFFFFFFFE;
        token.OffsetHigh = 0x7FFFFFFF;
        const DWORD how = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
        if (!::LockFileEx(file, how, 0, 1, 0, &token)) {
            const DWORD error = ::GetLastError();
            if (!wait && error == ERROR_LOCK_VIOLATION) {
                return nullptr;
            }
            fail("Could not lock", path, error);
        }
        const FileStamp held = stamp_of(file, path);
        const FileStamp named = stamp_of_path(path);
        if (named.device == held.device && named.inode == held.inode) {
            return appending;
        }
    }
}

}  // namespace

std::unique_ptr<AppendFile> Win32FileSystem::open_for_append(const std::string& path) {
    return open_locked(path, true);
}

std::unique_ptr<AppendFile> Win32FileSystem::try_open_for_append(const std::string& path) {
    return open_locked(path, false);
}

FileStamp Win32FileSystem::stamp(const std::string& path) {
    return stamp_of_path(path);
}

std::unique_ptr<ReadFile> Win32FileSystem::open_for_read(const std::string& path) {
    HANDLE file = open_disk_file("Could not open", path, GENERIC_READ, OPEN_EXISTING);
    return std::make_unique<Win32ReadFile>(path, file, true);
}

std::unique_ptr<ReadFile> Win32FileSystem::open_as_stored(const std::string& path) {
    HANDLE file = open_disk_file("Could not open", path, GENERIC_READ, OPEN_EXISTING);
    return std::make_unique<Win32ReadFile>(path, file, false);
}

std::string Win32FileSystem::as_stored(std::string_view text) {
    return to_ansi(text);
}

std::unique_ptr<Replacement> Win32FileSystem::begin_replace(const std::string& path, FileAccess) {
    return std::make_unique<Win32Replacement>(path);
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

bool Win32FileSystem::folder_writable(const std::string& folder) {
    // Only creating a file answers for access rules, read-only media and virtualised folders alike.
    std::wstring probe =
        wide(folder) + L"\\.keymint-probe-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file);
    return true;
}

void Win32FileSystem::make_private_folder(const std::string& folder) {
    std::wstring path = wide(folder);
    std::replace(path.begin(), path.end(), L'/', L'\\');  // the shell call knows no other separator
    int result = ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    if (result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS) {
        DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return;
        }
        fail("Could not create the folder", folder, ERROR_DIRECTORY);
    }
    if (result != ERROR_SUCCESS) {
        fail("Could not create the folder", folder, static_cast<DWORD>(result));
    }
}

}  // namespace platform::win32
