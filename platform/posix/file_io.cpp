#include "platform/posix/file_io.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace platform::posix {

void fail(const std::string& what, const std::string& path, int error) {
    throw SystemFileError(what + " \"" + path + "\": " + std::strerror(error) + ".", error);
}

void fail_not_regular(const std::string& what, const std::string& path) {
    throw SystemFileError(what + " \"" + path + "\": it is not a regular file.", EINVAL);
}

namespace {

bool names_something_irregular(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

}  // namespace

void refuse_if_foreign(const std::string& path, const struct stat& info) {
    if (info.st_uid == ::geteuid()) {
        return;
    }
    std::string owner = "user " + std::to_string(info.st_uid);
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(4096);
    if (::getpwuid_r(info.st_uid, &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr) {
        owner = "the user \"" + std::string(found->pw_name) + "\"";
    }
    throw SystemFileError("The file \"" + path + "\" belongs to " + owner +
                              ", who could read what Keymint writes there, so nothing was "
                              "written to it.",
                          EPERM);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

Descriptor::~Descriptor() {
    close();
}

int Descriptor::release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

int Descriptor::close() {
    if (fd_ < 0) {
        return 0;
    }
    int result = ::close(release());
    return result;
}

Descriptor open_regular(const std::string& what, const std::string& path, int flags, mode_t mode,
                        struct stat* opened) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        int error = errno;
        // Opening a FIFO for writing with no reader fails rather than blocks; say what it is.
        if ((error == ENXIO || error == EISDIR) && names_something_irregular(path)) {
            fail_not_regular(what, path);
        }
        fail(what, path, error);
    }
    Descriptor file(fd);
    struct stat info = stat_of(what, path, fd);
    if (S_ISDIR(info.st_mode)) {
        fail(what, path, EISDIR);
    }
    if (!S_ISREG(info.st_mode)) {
        fail_not_regular(what, path);
    }
    // O_NONBLOCK stays: it only kept the open from waiting on a FIFO, and reads and writes of a
    // regular file never heed it.
    if (opened != nullptr) {
        *opened = info;
    }
    return file;
}

struct stat stat_of(const std::string& what, const std::string& path, int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        fail(what, path, errno);
    }
    return info;
}

void write_all(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("Could not write to", path, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::string folder_of(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

std::string resolve_links(const std::string& path) {
    std::string current = path;
    // The same limit the kernel sets on a chain of links; a loop then fails at open().
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::vector<char> target(static_cast<std::size_t>(info.st_size) + 256);
        ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) == target.size()) {
            return current;
        }
        std::string next(target.data(), static_cast<std::size_t>(length));
        current = next.starts_with('/') ? next : folder_of(current) + "/" + next;
    }
    return current;
}

int make_folders(const std::string& folder, mode_t mode) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), mode) != 0 && errno != EEXIST) {
            return errno;
        }
        if (slash == std::string::npos) {
            struct stat info {};
            return ::stat(folder.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) ? ENOTDIR : 0;
        }
    }
}

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return ascii_lower(x) == ascii_lower(y);
           });
}

FileStamp stamp_from(const struct stat& info) {
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modified_ns = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                        static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    stamp.changed_ns = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 +
                       static_cast<std::int64_t>(info.st_ctim.tv_nsec);
    return stamp;
}

}  // namespace platform::posix
