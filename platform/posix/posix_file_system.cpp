#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/atomic_replacement.h"
#include "platform/posix/file_io.h"

namespace platform::posix {
namespace {

mode_t mode_for(FileAccess access) {
    return access == FileAccess::OwnerOnly ? 0600 : 0666;
}

// New files follow the user's umask, as open() would apply it. It is read once, while the
// program starts and no other thread runs: reading it means setting it, and a thread creating a
// file meanwhile would create it without any mask.
const mode_t kUmask = [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}();

mode_t masked(mode_t mode) {
    return mode & ~kUmask;
}

std::size_t read_some(int fd, char* buffer, std::size_t count, const std::string& path) {
    for (;;) {
        ssize_t got = ::read(fd, buffer, count);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            fail("Could not read", path, errno);
        }
    }
}

// Holds back the signals that ask the program to stop while it lives.
class StopSignalsHeld {
  public:
    StopSignalsHeld() {
        sigset_t stops;
        sigemptyset(&stops);
        for (int signal_number : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
            sigaddset(&stops, signal_number);
        }
        ::pthread_sigmask(SIG_BLOCK, &stops, &before_);
    }
    ~StopSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

  private:
    sigset_t before_;
};

class PosixAppendFile : public AppendFile {
  public:
    PosixAppendFile(std::string path, Descriptor fd) : path_(std::move(path)), fd_(std::move(fd)) {}

    std::string tail(std::size_t count) override {
        auto size = static_cast<std::size_t>(stat_of("Could not read", path_, fd_.get()).st_size);
        std::size_t take = std::min(count, size);
        std::string bytes(take, '\0');
        bytes.resize(read_as_stored(size - take, bytes.data(), take));
        return bytes;
    }

    void write(std::string_view bytes) override {
        off_t before = stat_of("Could not write to", path_, fd_.get()).st_size;
        // A signal that ends the program waits until the record is whole and on the disk.
        StopSignalsHeld held;
        try {
            write_all(fd_.get(), bytes, path_);
            while (::fdatasync(fd_.get()) != 0) {
                if (errno != EINTR) {
                    fail("Could not flush", path_, errno);
                }
            }
        } catch (const FileError&) {
            // A part of a record is worse than none, and so is one that may not be on the disk:
            // cut it off again.
            while (::ftruncate(fd_.get(), before) != 0 && errno == EINTR) {
            }
            throw;
        }
    }

    FileStamp stamp() override { return stamp_from(stat_of("Could not read", path_, fd_.get())); }

    std::optional<FileStamp> seal() override {
        struct stat info = stat_of("Could not read", path_, fd_.get());
        timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
        if (times[1].tv_nsec > 0) {
            --times[1].tv_nsec;
        } else {
            --times[1].tv_sec;
            times[1].tv_nsec = 999999999;
        }
        if (::futimens(fd_.get(), times) != 0) {
            return std::nullopt;
        }
        return stamp();
    }

    std::size_t read_as_stored(std::uint64_t offset, char* buffer, std::size_t count) override {
        std::size_t got = 0;
        while (got < count) {
            ssize_t now =
                ::pread(fd_.get(), buffer + got, count - got, static_cast<off_t>(offset + got));
            if (now > 0) {
                got += static_cast<std::size_t>(now);
            } else if (now == 0) {
                break;
            } else if (errno != EINTR) {
                fail("Could not read", path_, errno);
            }
        }
        return got;
    }

  private:
    std::string path_;
    Descriptor fd_;
};

class PosixReadFile : public ReadFile {
  public:
    PosixReadFile(std::string path, Descriptor fd) : path_(std::move(path)), fd_(std::move(fd)) {}

    std::size_t read(char* buffer, std::size_t count) override {
        return read_some(fd_.get(), buffer, count, path_);
    }

    void seek(std::uint64_t offset) override {
        if (::lseek(fd_.get(), static_cast<off_t>(offset), SEEK_SET) < 0) {
            fail("Could not read", path_, errno);
        }
    }

    FileStamp stamp() override { return stamp_from(stat_of("Could not read", path_, fd_.get())); }

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
    return read_to_end(*open_for_read(path));
}

void PosixFileSystem::touch(const std::string& path, FileAccess access) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        // An existing file is left alone: an installed language file is read-only.
        if (!S_ISREG(info.st_mode)) {
            fail_not_regular("Could not open", path);
        }
        return;
    }
    if (errno != ENOENT) {
        fail("Could not open", path, errno);
    }
    Descriptor fd = open_regular("Could not create", path, O_WRONLY | O_CREAT, mode_for(access));
    if (fd.close() != 0) {
        fail("Could not create", path, errno);
    }
}

void PosixFileSystem::create(const std::string& path, std::string_view contents,
                             FileAccess access) {
    const char* what = exists(path) ? "Could not write to" : "Could not create";
    Descriptor fd = open_regular(what, path, O_WRONLY | O_CREAT | O_TRUNC, mode_for(access));
    write_all(fd.get(), contents, path);
    if (fd.close() != 0) {
        fail("Could not write to", path, errno);
    }
}

namespace {

// Empty when `wait` is false and someone else holds the lock.
std::unique_ptr<AppendFile> open_locked(const std::string& path, bool wait) {
    // A rewrite puts a new file in place while it holds the old one's lock: whoever waited for
    // that lock appends to the new file instead.
    for (;;) {
        struct stat held {};
        Descriptor fd =
            open_regular("Could not open", path, O_RDWR | O_APPEND | O_CREAT, 0600, &held);
        refuse_if_foreign(path, held);
        while (::flock(fd.get(), wait ? LOCK_EX : LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK && !wait) {
                return nullptr;
            }
            if (errno != EINTR) {
                fail("Could not lock", path, errno);
            }
        }
        struct stat named {};
        if (::stat(path.c_str(), &named) != 0) {
            fail("Could not read the attributes of", path, errno);
        }
        if (named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            if ((held.st_mode & 077) != 0 && ::fchmod(fd.get(), held.st_mode & 07700) != 0) {
                fail("Could not make private", path, errno);
            }
            return std::make_unique<PosixAppendFile>(path, std::move(fd));
        }
    }
}

}  // namespace

std::unique_ptr<AppendFile> PosixFileSystem::open_for_append(const std::string& path) {
    return open_locked(path, true);
}

std::unique_ptr<AppendFile> PosixFileSystem::try_open_for_append(const std::string& path) {
    return open_locked(path, false);
}

FileStamp PosixFileSystem::stamp(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        fail("Could not read the attributes of", path, errno);
    }
    return stamp_from(info);
}

std::unique_ptr<ReadFile> PosixFileSystem::open_for_read(const std::string& path) {
    return std::make_unique<PosixReadFile>(path, open_regular("Could not open", path, O_RDONLY));
}

std::unique_ptr<ReadFile> PosixFileSystem::open_as_stored(const std::string& path) {
    return open_for_read(path);
}

std::string PosixFileSystem::as_stored(std::string_view text) {
    return std::string(text);
}

std::unique_ptr<Replacement> PosixFileSystem::begin_replace(const std::string& path,
                                                            FileAccess access) {
    return std::make_unique<AtomicReplacement>(path, masked(mode_for(access)));
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
    if (int error = make_folders(folder, 0700); error != 0) {
        fail("Could not create the folder", folder, error);
    }
}

}  // namespace platform::posix
