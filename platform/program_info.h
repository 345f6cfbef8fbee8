#pragma once

#include <string>

namespace platform {

// Where the running program lives.
class ProgramInfo {
  public:
    virtual ~ProgramInfo() = default;
    // The folder holding the executable, without a trailing separator (except for a root).
    virtual std::string folder() const = 0;
    // The executable's file name without folder and extension.
    virtual std::string base_name() const = 0;
    // The platform's path separator.
    virtual char separator() const = 0;

    // `folder()` joined with a name.
    std::string path_of(const std::string& name) const {
        std::string dir = folder();
        if (dir.empty() || dir.back() != separator()) {
            dir += separator();
        }
        return dir + name;
    }
};

}  // namespace platform
