#include "platform/posix/atomic_replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace platform::posix {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

std::string temporary_prefix(const std::string& target) {
    return "." + name_of(target) + ".tmp";
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

std::string unpredictable_suffix() {
    std::random_device entropy;
    char digits[17];
    std::snprintf(digits, sizeof digits, "%08x%08x", static_cast<unsigned>(entropy()),
                  static_cast<unsigned>(entropy()));
    return digits;
}

void sync_folder(const std::string& folder) {
    Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) {
        ::fsync(directory.get());
    }
}

}  // namespace

AtomicReplacement::AtomicReplacement(const std::string& path, mode_t new_mode)
    : path_(path), target_(resolve_links(path)) {
    mode_t mode = new_mode;
    struct stat info {};
    if (::stat(target_.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            throw SystemFileError("Could not replace \"" + path_ + "\": it is not a regular file.",
                                  EINVAL);
        }
        refuse_if_foreign(path_, info);
        // Root may write anything, so the owner's write bit decides what counts as read-only.
        if ((info.st_mode & S_IWUSR) == 0 || ::access(target_.c_str(), W_OK) != 0) {
            throw SystemFileError("The file \"" + path_ + "\" is read-only, so it was not changed.",
                                  EACCES);
        }
        mode = info.st_mode & 07777;
    }

    const std::string folder = folder_of(target_);
    const std::string prefix = temporary_prefix(target_);
    remove_leftovers(folder, prefix);
    for (int attempt = 0; file_.get() < 0; ++attempt) {
        temporary_ = folder + "/" + prefix + unpredictable_suffix();
        file_ = Descriptor(
            ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (file_.get() < 0 && (errno != EEXIST || attempt == 20)) {
            fail("Could not create a temporary file beside", path_, errno);
        }
    }
    if (::fchmod(file_.get(), mode) != 0) {
        abandon("Could not set the permissions of", errno);
    }
    buffer_.reserve(kBufferSize);
}

AtomicReplacement::~AtomicReplacement() {
    if (file_.get() >= 0) {
        file_.close();
        ::unlink(temporary_.c_str());
    }
}

void AtomicReplacement::abandon(const std::string& what, int error) {
    file_.close();
    ::unlink(temporary_.c_str());
    fail(what, path_, error);
}

void AtomicReplacement::put(std::string_view bytes) {
    if (file_.get() < 0) {
        fail("Could not write to", path_, EBADF);
    }
    try {
        write_all(file_.get(), bytes, path_);
    } catch (const SystemFileError& error) {
        abandon("Could not write to", error.error());
    }
}

void AtomicReplacement::write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kBufferSize) {
        put(buffer_);
        buffer_.clear();
    }
    if (bytes.size() >= kBufferSize) {
        put(bytes);
    } else {
        buffer_ += bytes;
    }
}

void AtomicReplacement::commit() {
    put(buffer_);
    buffer_.clear();
    if (::fsync(file_.get()) != 0) {
        abandon("Could not flush the new contents of", errno);
    }
    if (file_.close() != 0) {
        abandon("Could not write the new contents of", errno);
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary_.c_str());
        fail("Could not replace", path_, error);
    }
    // Make the rename itself durable.
    sync_folder(folder_of(target_));
}

}  // namespace platform::posix
