#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace platform::posix {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int error) {
    throw FileError(what + " \"" + path + "\": " + std::strerror(error) + ".");
}

mode_t mode_for(FileAccess access) {
    return access == FileAccess::OwnerOnly ? 0600 : 0666;
}

// Owns a descriptor for the length of one operation.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closes now, so that a failing close is reported.
    int close() {
        int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

int open_or_fail(const std::string& what, const std::string& path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        fail(what, path, errno);
    }
    return fd;
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

// A replacement cut short (the program killed, the power gone) leaves its temporary file behind,
// holding a copy of the contents; the next replacement of the same file removes it.
void remove_leftovers(const std::string& folder, const std::string& prefix) {
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (std::string_view(entry->d_name).starts_with(prefix)) {
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

class PosixAppendFile : public AppendFile {
  public:
    PosixAppendFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

    std::string tail(std::size_t count) override {
        struct stat info {};
        if (::fstat(fd_.get(), &info) != 0) {
            fail("Could not read", path_, errno);
        }
        auto size = static_cast<std::size_t>(info.st_size);
        std::size_t take = std::min(count, size);
        std::string bytes(take, '\0');
        ssize_t got = ::pread(fd_.get(), bytes.data(), take, static_cast<off_t>(size - take));
        if (got < 0) {
            fail("Could not read", path_, errno);
        }
        bytes.resize(static_cast<std::size_t>(got));
        return bytes;
    }

    void write(std::string_view bytes) override { write_all(fd_.get(), bytes, path_); }

  private:
    std::string path_;
    Descriptor fd_;
};

}  // namespace

bool PosixFileSystem::exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string PosixFileSystem::read_all(const std::string& path) {
    Descriptor fd(open_or_fail("Could not open", path, O_RDONLY));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        fail("Could not read", path, errno);
    }
    if (S_ISDIR(info.st_mode)) {
        fail("Could not read", path, EISDIR);
    }
    std::string contents;
    // The size is a hint only: the file may grow or shrink while it is read.
    std::size_t capacity = static_cast<std::size_t>(info.st_size) + 1;
    contents.resize(capacity);
    std::size_t used = 0;
    for (;;) {
        if (used == contents.size()) {
            contents.resize(contents.size() * 2);
        }
        ssize_t got = ::read(fd.get(), contents.data() + used, contents.size() - used);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("Could not read", path, errno);
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    contents.resize(used);
    return contents;
}

void PosixFileSystem::touch(const std::string& path, FileAccess access) {
    // Leaving a file as it is needs no write access: an installed language file is read-only.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return;
    }
    Descriptor fd(open_or_fail("Could not create", path, O_WRONLY | O_CREAT, mode_for(access)));
    if (fd.close() != 0) {
        fail("Could not create", path, errno);
    }
}

void PosixFileSystem::create(const std::string& path, std::string_view contents,
                             FileAccess access) {
    Descriptor fd(
        open_or_fail("Could not create", path, O_WRONLY | O_CREAT | O_TRUNC, mode_for(access)));
    write_all(fd.get(), contents, path);
    if (fd.close() != 0) {
        fail("Could not write to", path, errno);
    }
}

std::unique_ptr<AppendFile> PosixFileSystem::open_for_append(const std::string& path) {
    int fd = open_or_fail("Could not open", path, O_RDWR | O_APPEND);
    auto file = std::make_unique<PosixAppendFile>(path, fd);
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            fail("Could not lock", path, errno);
        }
    }
    return file;
}

void PosixFileSystem::replace(const std::string& path, std::string_view contents,
                              FileAccess access) {
    mode_t mode = mode_for(access);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        // Root may write anything, so the owner's write bit decides what counts as read-only.
        if ((info.st_mode & S_IWUSR) == 0 || ::access(path.c_str(), W_OK) != 0) {
            throw FileError("The file \"" + path + "\" is read-only, so it was not changed.");
        }
        mode = info.st_mode & 07777;
    } else {
        // New files follow the user's umask, as open() would apply it.
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }

    const std::string folder = folder_of(path);
    const std::string temporary_prefix = "." + path.substr(path.rfind('/') + 1) + ".tmp";
    remove_leftovers(folder, temporary_prefix);

    std::random_device entropy;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = folder + "/" + temporary_prefix + std::to_string(entropy() % 1000000);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && (errno != EEXIST || attempt == 20)) {
            fail("Could not create a temporary file beside", path, errno);
        }
    }
    Descriptor file(fd);
    auto discard = [&](const char* what, int error) {
        ::unlink(temporary.c_str());
        fail(what, path, error);
    };
    try {
        write_all(file.get(), contents, path);
    } catch (const FileError&) {
        ::unlink(temporary.c_str());
        throw;
    }
    if (::fchmod(file.get(), mode) != 0) {
        discard("Could not set the permissions of", errno);
    }
    if (::fsync(file.get()) != 0) {
        discard("Could not flush the new contents of", errno);
    }
    if (file.close() != 0) {
        discard("Could not write the new contents of", errno);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        discard("Could not replace", errno);
    }
    // Make the rename itself durable.
    Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) {
        ::fsync(directory.get());
    }
}

void PosixFileSystem::make_writable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        fail("Could not read the attributes of", path, errno);
    }
    if (info.st_uid != ::geteuid() || (info.st_mode & S_IWUSR)) {
        return;
    }
    if (::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR) != 0) {
        fail("Could not make writable", path, errno);
    }
}

bool PosixFileSystem::folder_writable(const std::string& folder) {
    // access() answers for the real user; only creating a file also sees read-only mounts and
    // access rules it does not know.
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return false;
    }
    std::string probe = folder + "/.keymint-probe-XXXXXX";
    int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

void PosixFileSystem::make_private_folder(const std::string& folder) {
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        std::string part = folder.substr(0, end);
        struct stat info {};
        if (::stat(part.c_str(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) {
                fail("Could not create the folder", folder, ENOTDIR);
            }
        } else if (errno != ENOENT || (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)) {
            fail("Could not create the folder", part, errno);
        }
        if (end == std::string::npos) {
            return;
        }
    }
}

}  // namespace platform::posix
