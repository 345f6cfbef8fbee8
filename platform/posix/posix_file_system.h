#pragma once

#include "platform/file_system.h"

namespace platform::posix {

class PosixFileSystem : public FileSystem {
  public:
    bool exists(const std::string& path) override;
    std::string read_all(const std::string& path) override;
    void touch(const std::string& path, FileAccess access) override;
    void create(const std::string& path, std::string_view contents, FileAccess access) override;
    std::unique_ptr<AppendFile> open_for_append(const std::string& path) override;
    std::unique_ptr<AppendFile> try_open_for_append(const std::string& path) override;
    FileStamp stamp(const std::string& path) override;
    std::unique_ptr<ReadFile> open_for_read(const std::string& path) override;
    std::unique_ptr<ReadFile> open_as_stored(const std::string& path) override;
    std::string as_stored(std::string_view text) override;
    std::unique_ptr<Replacement> begin_replace(const std::string& path, FileAccess access) override;
    void make_writable(const std::string& path) override;
    bool folder_writable(const std::string& folder) override;
    void make_private_folder(const std::string& folder) override;
};

}  // namespace platform::posix
