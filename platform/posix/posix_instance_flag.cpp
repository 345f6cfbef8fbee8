#include "platform/posix/posix_instance_flag.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/file_io.h"
#include "platform/posix/xdg_folders.h"

namespace platform::posix {
namespace {

std::uint64_t fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

}  // namespace

PosixInstanceFlag::PosixInstanceFlag(const std::string& executable,
                                     const std::string& lock_folder) {
    char name[64];
    // One lock per user and executable, so another user's copy does not count.
    std::snprintf(name, sizeof name, "/keymint-%u-%016llx.lock", static_cast<unsigned>(::getuid()),
                  static_cast<unsigned long long>(fnv1a(executable)));
    std::string path = lock_folder + name;
    // Without a lock file of our own every start counts as the first: a link or a file that
    // someone else made must not decide whether this program starts.
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat info {};
    if (fd_ >= 0 &&
        (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())) {
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ < 0) {
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        previous_ = errno == EWOULDBLOCK;
    }
}

PosixInstanceFlag::~PosixInstanceFlag() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::string PosixInstanceFlag::default_lock_folder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0' && ::access(runtime, W_OK) == 0) {
        return runtime;
    }
    // Not a shared temporary folder, where anyone could take the lock first: a folder that only
    // this user can write.
    std::string folder = xdg_base_folder("XDG_CACHE_HOME", ".cache") + "/keymint";
    make_folders(folder, 0700);
    return folder;
}

}  // namespace platform::posix
