#pragma once

#include <filesystem>
#include <string>

#include "doubles.h"
#include "native.h"
#include "platform/file_system.h"

namespace ini::testing {

using doubles::TempFolder;

inline void write_bytes(const std::string& path, const std::string& bytes) {
    doubles::write_file(path, bytes);
}

inline std::string read_bytes(const std::string& path) {
    return doubles::read_file(path);
}

inline void make_read_only(const std::string& path) {
    using std::filesystem::perms;
    std::filesystem::permissions(path, perms::owner_read | perms::group_read | perms::others_read);
}

// The real file system, except that the attribute step always fails.
class UnchangeableAttributes : public native::FileSystem {
  public:
    void make_writable(const std::string& path) override {
        throw platform::FileError("Could not make writable \"" + path + "\": not permitted.");
    }
};

}  // namespace ini::testing
