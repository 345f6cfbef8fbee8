#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A file operation that failed. what() is a full sentence naming the file and the OS reason.
class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Who may read and write a file the program creates.
enum class FileAccess {
    Normal,     // the user's default permissions
    OwnerOnly,  // readable and writable by the owner alone (for files holding secrets)
};

// Identity and state of a file, to notice that someone else changed it.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;  // the file index on Windows
    std::uint64_t size = 0;
    std::int64_t modified_ns = 0;
    // When the file's attributes last changed, its times included; no program can set it. Zero
    // where the system does not tell.
    std::int64_t changed_ns = 0;
    bool operator==(const FileStamp&) const = default;
};

// A file held open for appending; closed when the object goes away.
class AppendFile {
  public:
    virtual ~AppendFile() = default;
    // The last `count` bytes of the file (fewer when it is shorter).
    virtual std::string tail(std::size_t count) = 0;
    // All or nothing, and on the disk when it returns: when not every byte can be written or
    // flushed, the file is cut back to its previous size before the error is thrown.
    virtual void write(std::string_view bytes) = 0;
    // The stamp of the open file itself.
    virtual FileStamp stamp() = 0;
    // Sets the file's modification time a step before the one it has, a time no later change
    // of the file gives it, and returns the stamp then: while the stamp stays the same, nobody
    // has changed the file since. Nothing when the time cannot be set.
    virtual std::optional<FileStamp> seal() = 0;
    // Up to `count` bytes from `offset`, as they lie on disk (see FileSystem::open_as_stored);
    // fewer only at the end of the file.
    virtual std::size_t read_as_stored(std::uint64_t offset, char* buffer, std::size_t count) = 0;
};

// A file opened for reading in chunks; closed when the object goes away.
class ReadFile {
  public:
    virtual ~ReadFile() = default;
    // Reads up to `count` bytes; 0 at the end of the file.
    virtual std::size_t read(char* buffer, std::size_t count) = 0;
    virtual void seek(std::uint64_t offset) = 0;
    // The stamp of the open file itself (not of whatever the path names now).
    virtual FileStamp stamp() = 0;
};

// Reads `count` bytes, fewer only at the end of the file.
inline std::size_t read_fully(ReadFile& file, char* buffer, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const std::size_t now = file.read(buffer + got, count - got);
        if (now == 0) {
            break;
        }
        got += now;
    }
    return got;
}

// What is left of the file, to its end. The size the file had when opened is only a hint: it
// may grow or shrink while it is read.
inline std::string read_to_end(ReadFile& file) {
    std::string contents(static_cast<std::size_t>(file.stamp().size) + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == contents.size()) {
            contents.resize(contents.size() * 2);
        }
        std::size_t got = file.read(contents.data() + used, contents.size() - used);
        if (got == 0) {
            break;
        }
        used += got;
    }
    contents.resize(used);
    return contents;
}

// A new version of a file, written in chunks to a temporary file beside it (beside the file a
// link points to); commit() flushes it and renames it over the file in one step. Dropped
// uncommitted, the temporary file is removed.
class Replacement {
  public:
    virtual ~Replacement() = default;
    virtual void write(std::string_view bytes) = 0;
    virtual void commit() = 0;
};

// Files are named by full paths; contents are UTF-8 text, kept on disk in the files' encoding (see
// open_as_stored). Every failure throws FileError. Only regular files are opened: anything else
// named like one is refused, never waited on. A symbolic link stands for the file it points to in
// every operation.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual bool exists(const std::string& path) = 0;
    virtual std::string read_all(const std::string& path) = 0;
    // Creates the file when it is missing, leaving an existing one untouched.
    virtual void touch(const std::string& path, FileAccess access) = 0;
    // Creates a new file, or truncates an existing one, and writes `contents`.
    virtual void create(const std::string& path, std::string_view contents, FileAccess access) = 0;
    // Opens the file for appending, creating a missing one, empty and for its owner alone; an
    // existing file is never truncated. The file is locked (an advisory, exclusive lock) while
    // the returned object lives: a second opening, in this process or another, waits for it, so
    // two writers never mix their lines. Hold it briefly. A file another user owns is refused,
    // and one of the user's own that others may read is made private.
    virtual std::unique_ptr<AppendFile> open_for_append(const std::string& path) = 0;
    // The same, but empty at once rather than waiting while someone else holds the lock.
    virtual std::unique_ptr<AppendFile> try_open_for_append(const std::string& path) = 0;
    // A missing file is an error.
    virtual FileStamp stamp(const std::string& path) = 0;
    virtual std::unique_ptr<ReadFile> open_for_read(const std::string& path) = 0;
    // On Windows the files' encoding is the ANSI code page; on Linux it is UTF-8 itself. These
    // two work in the bytes on disk, for finding a line by where it lies: a file opened to read
    // them unconverted, and `text` as a write stores it.
    virtual std::unique_ptr<ReadFile> open_as_stored(const std::string& path) = 0;
    virtual std::string as_stored(std::string_view text) = 0;
    // Starts replacing the file's contents. A read-only file, or one another user owns, is
    // refused here. A new file gets `access`; an existing one keeps its permissions.
    virtual std::unique_ptr<Replacement> begin_replace(const std::string& path,
                                                       FileAccess access) = 0;
    // Replaces the file's contents in one step (see begin_replace).
    void replace(const std::string& path, std::string_view contents, FileAccess access) {
        auto replacement = begin_replace(path, access);
        replacement->write(contents);
        replacement->commit();
    }
    // Makes the file writable by its owner when the user owns it.
    virtual void make_writable(const std::string& path) = 0;

    // Whether the user may create files in the folder; never throws.
    virtual bool folder_writable(const std::string& folder) = 0;
    // Creates the folder, and any missing folder above it, for the owner alone; an existing
    // folder is left as it is.
    virtual void make_private_folder(const std::string& folder) = 0;
};

}  // namespace platform
