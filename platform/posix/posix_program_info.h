#pragma once

#include <string>

#include "platform/program_info.h"

namespace platform::posix {

// The running executable as /proc/self/exe names it, or the executable at a given path.
class PosixProgramInfo : public ProgramInfo {
  public:
    PosixProgramInfo();
    explicit PosixProgramInfo(const std::string& executable);
    std::string folder() const override { return folder_; }
    std::string base_name() const override { return base_name_; }
    char separator() const override { return '/'; }
    // $XDG_DATA_HOME/keymint, by default ~/.local/share/keymint.
    std::string user_data_folder() const override;

  private:
    std::string folder_;
    std::string base_name_;
};

}  // namespace platform::posix
