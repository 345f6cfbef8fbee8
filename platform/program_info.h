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
    // The folder that holds this user's records and settings when the program folder is not
    // theirs to write ($XDG_DATA_HOME/keymint, %LOCALAPPDATA%\Keymint); it may not exist yet.
    // Empty when the platform has none.
    virtual std::string user_data_folder() const = 0;

    // A folder joined with a name.
    std::string join(std::string folder, const std::string& name) const {
        if (folder.empty() || folder.back() != separator()) {
            folder += separator();
        }
        return folder + name;
    }
    // `folder()` joined with a name.
    std::string path_of(const std::string& name) const { return join(folder(), name); }
};

}  // namespace platform
