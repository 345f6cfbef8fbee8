#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace platform::posix {

// A FileError that keeps the OS error number, for callers that report failures as codes.
class SystemFileError : public FileError {
  public:
    SystemFileError(const std::string& message, int error) : FileError(message), error_(error) {}
    int error() const { return error_; }

  private:
    int error_;
};

// Throws `<what> "<path>": <the OS reason>.`
[[noreturn]] void fail(const std::string& what, const std::string& path, int error);

// Throws `<what> "<path>": it is not a regular file.`
[[noreturn]] void fail_not_regular(const std::string& what, const std::string& path);

// Owns a descriptor; closes it when it goes away.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor();
    int get() const { return fd_; }
    int release();
    // Closes now, so that a failing close can be reported; -1 with errno set on failure.
    int close();

  private:
    int fd_;
};

// Throws `The file "<path>" belongs to <owner>, ...` unless the user owns the file: whoever owns
// a file the program writes to could read the passwords in it.
void refuse_if_foreign(const std::string& path, const struct stat& info);

// Opens a regular file (following links). A FIFO, device or folder of that name is refused
// without waiting on it: the error reads `<what> "<path>": it is not a regular file.`
// `opened`, when given, receives the open file's attributes.
Descriptor open_regular(const std::string& what, const std::string& path, int flags,
                        mode_t mode = 0, struct stat* opened = nullptr);

struct stat stat_of(const std::string& what, const std::string& path, int fd);

void write_all(int fd, std::string_view bytes, const std::string& path);

std::string folder_of(const std::string& path);
std::string name_of(const std::string& path);

// The file a chain of symbolic links ends at (which may not exist yet); the path itself when it
// is not a link.
std::string resolve_links(const std::string& path);

// Creates the folder and any missing parents with `mode`; an existing folder is fine.
// Returns 0, or the errno of the step that failed.
int make_folders(const std::string& folder, mode_t mode);

char ascii_lower(char c);
bool equal_ignoring_ascii_case(std::string_view a, std::string_view b);

FileStamp stamp_from(const struct stat& info);

}  // namespace platform::posix
