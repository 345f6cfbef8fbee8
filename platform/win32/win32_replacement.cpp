#include "platform/win32/win32_replacement.h"

#include <cstdio>

#include "platform/win32/win32_random_source.h"
#include "platform/win32/win32_text.h"

namespace platform::win32 {
namespace {

std::string folder_of(const std::string& path) {
    auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The file a link points to, so that the new version lands beside the target, not the link.
std::string final_path(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return path;
    }
    Handle file(::CreateFileW(wide(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return path;
    }
    std::wstring target(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = ::GetFinalPathNameByHandleW(file.get(), target.data(),
                                                   static_cast<DWORD>(target.size()), 0);
        if (length == 0) {
            return path;
        }
        if (length < target.size()) {
            target.resize(length);
            return narrow(target);
        }
        target.resize(length + 1);
    }
    return path;
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

}  // namespace

Win32Replacement::Win32Replacement(std::string path)
    : path_(std::move(path)), target_(final_path(path_)) {
    DWORD attributes = ::GetFileAttributesW(wide(target_).c_str());
    existed_ = attributes != INVALID_FILE_ATTRIBUTES;
    if (existed_ && (attributes & FILE_ATTRIBUTE_READONLY)) {
        throw FileError("The file \"" + path_ + "\" is read-only, so it was not changed.");
    }
    if (existed_) {
        // Refuses a device or a folder before anything is written.
        Handle check(open_disk_file("Could not replace", path_, 0, OPEN_EXISTING));
    }

    const std::string folder = folder_of(target_);
    const std::string prefix = "." + target_.substr(target_.find_last_of("\\/") + 1) + ".tmp";
    remove_leftovers(folder, prefix);
    for (int attempt = 0; file_.get() == INVALID_HANDLE_VALUE; ++attempt) {
        temporary_ = folder + "\\" + prefix + random_suffix();
        HANDLE handle = ::CreateFileW(wide(temporary_).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD error = ::GetLastError();
        if (handle == INVALID_HANDLE_VALUE && (error != ERROR_FILE_EXISTS || attempt == 20)) {
            temporary_.clear();
            fail("Could not create a temporary file beside", path_, error);
        }
        file_.reset(handle);
    }
}

Win32Replacement::~Win32Replacement() {
    if (!committed_ && !temporary_.empty()) {
        file_.close();
        ::DeleteFileW(wide(temporary_).c_str());
    }
}

void Win32Replacement::discard(const char* what, DWORD error) {
    file_.close();
    ::DeleteFileW(wide(temporary_).c_str());
    temporary_.clear();
    fail(what, path_, error);
}

void Win32Replacement::write(std::string_view bytes) {
    carry_.append(bytes);
    std::size_t whole = whole_utf8(carry_);
    write_all(file_.get(), to_ansi(std::string_view(carry_).substr(0, whole)), path_);
    carry_.erase(0, whole);
}

void Win32Replacement::commit() {
    if (!carry_.empty()) {
        write_all(file_.get(), to_ansi(carry_), path_);  // a broken character becomes "?"
        carry_.clear();
    }
    if (!::FlushFileBuffers(file_.get())) {
        discard("Could not flush the new contents of", ::GetLastError());
    }
    if (!file_.close()) {
        discard("Could not write the new contents of", ::GetLastError());
    }
    const std::wstring target = wide(target_);
    const std::wstring temporary = wide(temporary_);
    // ReplaceFileW keeps the old file's attributes and access rights; where it cannot, a plain
    // rename still swaps the contents in one step.
    if (!(existed_ && ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) &&
        !::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        discard("Could not replace", ::GetLastError());
    }
    committed_ = true;
}

}  // namespace platform::win32
