// Loaded with LD_PRELOAD: fails the N-th call of a file operation on the files of one folder, as
// a full or failing disk would, and counts the calls so that a first run knows every N to try.
//   KEYMINT_FAIL_IN     the folder; only its files and the folder itself count
//   KEYMINT_FAIL        kind:N:ERRNO[,kind:N:ERRNO]; kinds open, write, short, fsync,
//                       fdatasync, rename, ftruncate, flock. "short" writes part of the N-th
//                       write, and every later write in the folder fails: the disk filled up.
//                       "part" only writes part of it, as a write may; ERRNO is then unused.
//   KEYMINT_FAIL_LOG    a file that receives "fired kind N path" when a failure is injected and, at
//                       exit, "count kind N" for each kind
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

enum Kind { Open, Write, Short, Part, Fsync, Fdatasync, Rename, Ftruncate, Flock, kKinds };
const char* const kNames[kKinds] = {"open",      "write",  "short",     "part", "fsync",
                                    "fdatasync", "rename", "ftruncate", "flock"};

struct Planned {
    long at = 0;  // 0: not planned
    int error = 0;
};

std::atomic<long> calls[kKinds];
Planned planned[kKinds];
std::atomic<bool> full{false};  // a short write filled the disk
char folder[PATH_MAX];
size_t folder_length = 0;
bool ready = false;
thread_local char last_watched[PATH_MAX];  // the path the last watched call was for

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int error_named(const char* name) {
    if (strcmp(name, "ENOSPC") == 0) {
        return ENOSPC;
    }
    if (strcmp(name, "EIO") == 0) {
        return EIO;
    }
    return atoi(name);
}

void note(const char* line) {
    const char* log = getenv("KEYMINT_FAIL_LOG");
    if (log == nullptr) {
        return;
    }
    static auto real_open = real<int (*)(const char*, int, ...)>("open");
    static auto real_write = real<ssize_t (*)(int, const void*, size_t)>("write");
    int fd = real_open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        real_write(fd, line, strlen(line));
        close(fd);
    }
}

__attribute__((constructor)) void read_plan() {
    const char* in = getenv("KEYMINT_FAIL_IN");
    if (in == nullptr || strlen(in) >= sizeof folder) {
        return;
    }
    strcpy(folder, in);
    folder_length = strlen(folder);
    while (folder_length > 1 && folder[folder_length - 1] == '/') {
        folder[--folder_length] = '\0';
    }
    if (const char* plan = getenv("KEYMINT_FAIL")) {
        char copy[256];
        snprintf(copy, sizeof copy, "%s", plan);
        char* rest = copy;
        while (char* item = strsep(&rest, ",")) {
            char* kind = strsep(&item, ":");
            char* at = strsep(&item, ":");
            if (kind == nullptr || at == nullptr || item == nullptr) {
                continue;
            }
            for (int k = 0; k < kKinds; ++k) {
                if (strcmp(kind, kNames[k]) == 0) {
                    planned[k] = {atol(at), error_named(item)};
                }
            }
        }
    }
    ready = true;
}

__attribute__((destructor)) void write_counts() {
    if (!ready) {
        return;
    }
    for (int k = 0; k < kKinds; ++k) {
        char line[64];
        snprintf(line, sizeof line, "count %s %ld\n", kNames[k], calls[k].load());
        note(line);
    }
}

// True for the folder itself and the files right in it; not for its subfolders.
bool watched(const char* path) {
    if (!ready || path == nullptr || strncmp(path, folder, folder_length) != 0) {
        return false;
    }
    const char* rest = path + folder_length;
    if (*rest != '\0' && (*rest != '/' || strchr(rest + 1, '/') != nullptr)) {
        return false;
    }
    snprintf(last_watched, sizeof last_watched, "%s", path);
    return true;
}

bool watched_fd(int fd) {
    if (!ready || fd < 0) {
        return false;
    }
    char link[64];
    char path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t length = readlink(link, path, sizeof path - 1);
    if (length <= 0) {
        return false;
    }
    path[length] = '\0';
    return watched(path);
}

bool watched_at(int dirfd, const char* path) {
    if (path == nullptr || path[0] == '/' || dirfd == AT_FDCWD) {
        return watched(path);
    }
    return watched_fd(dirfd) && strchr(path, '/') == nullptr;
}

void fired(Kind kind, long call) {
    char line[PATH_MAX + 64];
    snprintf(line, sizeof line, "fired %s %ld %s\n", kNames[kind], call, last_watched);
    note(line);
}

// Counts a call of `kind` and tells whether it is the one to fail; errno is then set.
bool fails(Kind kind) {
    const long now = ++calls[kind];
    if (planned[kind].at != now) {
        return false;
    }
    fired(kind, now);
    errno = planned[kind].error;
    return true;
}

mode_t mode_of(int flags, va_list& rest) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(rest, int)) : 0;
}

}  // namespace

extern "C" {

int openat(int dirfd, const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    mode_t mode = mode_of(flags, rest);
    va_end(rest);
    if (watched_at(dirfd, path) && fails(Open)) {
        return -1;
    }
    static auto next = real<int (*)(int, const char*, int, ...)>("openat");
    return next(dirfd, path, flags, mode);
}

int open(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    mode_t mode = mode_of(flags, rest);
    va_end(rest);
    return openat(AT_FDCWD, path, flags, mode);
}

// On a 64-bit system every file is a large one; fortified builds call __open_2 for an open
// without a mode.
int open64(const char* path, int flags, ...) __attribute__((alias("open")));
int openat64(int dirfd, const char* path, int flags, ...) __attribute__((alias("openat")));
int __open_2(const char* path, int flags) {
    return open(path, flags);
}
int __open64_2(const char* path, int flags) __attribute__((alias("__open_2")));

ssize_t write(int fd, const void* bytes, size_t count) {
    static auto next = real<ssize_t (*)(int, const void*, size_t)>("write");
    if (!watched_fd(fd)) {
        return next(fd, bytes, count);
    }
    if (full) {
        errno = planned[Short].error;
        return -1;
    }
    if (fails(Write)) {
        return -1;
    }
    ++calls[Part];
    if (planned[Part].at == calls[Part] && count >= 2) {
        fired(Part, calls[Part]);
        return next(fd, bytes, count / 2);
    }
    ++calls[Short];
    if (planned[Short].at == calls[Short]) {
        fired(Short, calls[Short]);
        full = true;
        if (count < 2) {
            errno = planned[Short].error;
            return -1;
        }
        return next(fd, bytes, count / 2);
    }
    return next(fd, bytes, count);
}

int fsync(int fd) {
    if (watched_fd(fd) && fails(Fsync)) {
        return -1;
    }
    static auto next = real<int (*)(int)>("fsync");
    return next(fd);
}

int fdatasync(int fd) {
    if (watched_fd(fd) && fails(Fdatasync)) {
        return -1;
    }
    static auto next = real<int (*)(int)>("fdatasync");
    return next(fd);
}

int rename(const char* from, const char* to) {
    if ((watched(from) || watched(to)) && fails(Rename)) {
        return -1;
    }
    static auto next = real<int (*)(const char*, const char*)>("rename");
    return next(from, to);
}

int ftruncate(int fd, off_t length) {
    if (watched_fd(fd) && fails(Ftruncate)) {
        return -1;
    }
    static auto next = real<int (*)(int, off_t)>("ftruncate");
    return next(fd, length);
}

int ftruncate64(int fd, off_t length) __attribute__((alias("ftruncate")));

int flock(int fd, int operation) {
    // Letting go of a lock does not fail.
    if ((operation & LOCK_UN) == 0 && watched_fd(fd) && fails(Flock)) {
        return -1;
    }
    static auto next = real<int (*)(int, int)>("flock");
    return next(fd, operation);
}

}  // extern "C"
