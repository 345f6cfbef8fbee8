#pragma once

#include <memory>
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

// A file held open for appending; closed when the object goes away.
class AppendFile {
  public:
    virtual ~AppendFile() = default;
    // The last `count` bytes of the file (fewer when it is shorter).
    virtual std::string tail(std::size_t count) = 0;
    virtual void write(std::string_view bytes) = 0;
};

// Files are named by full paths; contents are raw bytes. Every failure throws FileError.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual bool exists(const std::string& path) = 0;
    virtual std::string read_all(const std::string& path) = 0;
    // Creates the file when it is missing, leaving an existing one untouched.
    virtual void touch(const std::string& path, FileAccess access) = 0;
    // Creates a new file, or truncates an existing one, and writes `contents`.
    virtual void create(const std::string& path, std::string_view contents, FileAccess access) = 0;
    // Opens an existing file for appending; a missing file is an error. The file is locked
    // (an advisory, exclusive lock) while the returned object lives: a second opening, in this
    // process or another, waits for it, so two writers never mix their lines. Hold it briefly.
    virtual std::unique_ptr<AppendFile> open_for_append(const std::string& path) = 0;
    // Replaces the file's contents in one step: a temporary file in the same folder, flushed,
    // then renamed over the old one. A read-only file is not replaced. A new file gets `access`;
    // an existing one keeps its permissions.
    virtual void replace(const std::string& path, std::string_view contents, FileAccess access) = 0;
    // Makes the file writable by its owner when the user owns it.
    virtual void make_writable(const std::string& path) = 0;

    // Whether the user may create files in the folder; never throws.
    virtual bool folder_writable(const std::string& folder) = 0;
    // Creates the folder, and any missing folder above it, for the owner alone; an existing
    // folder is left as it is.
    virtual void make_private_folder(const std::string& folder) = 0;
};

}  // namespace platform
