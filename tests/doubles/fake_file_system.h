#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace doubles {

// Files in memory, named by any string. Every change moves a clock, so stamps tell versions
// apart; a replacement gets a new inode while an open ReadFile keeps seeing the old file, as a
// rename does. Failures throw FileError with messages shaped like the real ones.
class FakeFileSystem : public platform::FileSystem {
  public:
    struct File {
        std::string contents;
        platform::FileAccess access = platform::FileAccess::Normal;
        bool read_only = false;
        std::uint64_t inode = 0;
        std::int64_t modified_ns = 0;
    };

    // Puts a file in place as someone else would, replacing any file of that name.
    void put(const std::string& path, const std::string& contents, bool read_only = false);
    // The contents of a file; throws when there is none.
    const std::string& contents_of(const std::string& path) const;

    bool exists(const std::string& path) override;
    std::string read_all(const std::string& path) override;
    void touch(const std::string& path, platform::FileAccess access) override;
    void create(const std::string& path, std::string_view contents,
                platform::FileAccess access) override;
    std::unique_ptr<platform::AppendFile> open_for_append(const std::string& path) override;
    // Locks are not modelled: the file is never held by anyone else.
    std::unique_ptr<platform::AppendFile> try_open_for_append(const std::string& path) override {
        return open_for_append(path);
    }
    platform::FileStamp stamp(const std::string& path) override;
    std::unique_ptr<platform::ReadFile> open_for_read(const std::string& path) override;
    std::unique_ptr<platform::ReadFile> open_as_stored(const std::string& path) override;
    std::string as_stored(std::string_view text) override { return std::string(text); }
    std::unique_ptr<platform::Replacement> begin_replace(const std::string& path,
                                                         platform::FileAccess access) override;
    void make_writable(const std::string& path) override;
    // Folders are not modelled: every folder can be written and already exists.
    bool folder_writable(const std::string&) override { return true; }
    void make_private_folder(const std::string&) override {}

    // Bytes all files together may hold; a write that would pass it fails as a full disk does,
    // leaving the file as it was.
    std::size_t capacity = std::numeric_limits<std::size_t>::max();
    // The most one ReadFile::read hands back, to exercise chunk boundaries.
    std::size_t read_chunk = std::numeric_limits<std::size_t>::max();
    // How often a file was opened for reading (read_all or open_for_read).
    int reads = 0;

  private:
    friend class FakeReplacement;
    friend class FakeAppendFile;

    std::shared_ptr<File> find(const std::string& what, const std::string& path) const;
    std::shared_ptr<File> make_file(const std::string& contents, platform::FileAccess access);
    // Throws when `extra` more bytes do not fit.
    void reserve(const std::string& path, std::size_t extra) const;
    void touched(File& file) { file.modified_ns = ++clock_; }

    std::map<std::string, std::shared_ptr<File>> files_;
    std::int64_t clock_ = 0;
    std::uint64_t next_inode_ = 1;
};

}  // namespace doubles
