#include "platform/win32/win32_file_io.h"

#include <algorithm>

#include "platform/win32/win32_text.h"

namespace platform::win32 {

void fail(const std::string& what, const std::string& path, DWORD error) {
    std::string text = what + " \"" + path + "\": " + describe_error(error);
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
        // The system's words say only that sharing failed: the folder is not the trouble.
        text +=
            " The file is in use by another program, which keeps others out of it; close "
            "that program and try again.";
    }
    throw FileError(text);
}

HANDLE open_disk_file(const std::string& what, const std::string& path, DWORD access,
                      DWORD disposition, SECURITY_ATTRIBUTES* security) {
    HANDLE handle = ::CreateFileW(wide(path).c_str(), access, kShareAll, security, disposition,
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

FileStamp stamp_of(HANDLE file, const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
        fail("Could not read the attributes of", path, ::GetLastError());
    }
    auto join = [](DWORD high, DWORD low) {
        return (static_cast<std::uint64_t>(high) << 32) | low;
    };
    FileStamp stamp;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.inode = join(info.nFileIndexHigh, info.nFileIndexLow);
    stamp.size = join(info.nFileSizeHigh, info.nFileSizeLow);
    // 100-nanosecond steps since 1601.
    stamp.modified_ns = static_cast<std::int64_t>(
        join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime) * 100);
    return stamp;
}

std::size_t whole_utf8(std::string_view bytes) {
    // Look back over at most three continuation bytes for the lead byte of the last character.
    std::size_t end = bytes.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(4, end); ++back) {
        auto byte = static_cast<unsigned char>(bytes[end - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;
        }
        std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? end - back : end;
    }
    return end;
}

std::size_t whole_ansi(std::string_view bytes) {
    UINT code_page = ::GetACP();
    if (code_page == CP_UTF8) {
        return whole_utf8(bytes);
    }
    CPINFO info{};
    if (!::GetCPInfo(code_page, &info) || info.MaxCharSize < 2) {
        return bytes.size();
    }
    std::size_t at = 0;
    while (at < bytes.size()) {
        bool lead = ::IsDBCSLeadByteEx(code_page, static_cast<BYTE>(bytes[at]));
        if (lead && at + 1 == bytes.size()) {
            return at;  // the trail byte comes with the next chunk
        }
        at += lead ? 2 : 1;
    }
    return bytes.size();
}

}  // namespace platform::win32
