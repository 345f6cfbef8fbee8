#pragma once

#include "platform/program_info.h"

namespace platform::posix {

// The running executable as /proc/self/exe names it.
class PosixProgramInfo : public ProgramInfo {
  public:
    PosixProgramInfo();
    std::string folder() const override { return folder_; }
    std::string base_name() const override { return base_name_; }
    char separator() const override { return '/'; }

  private:
    std::string folder_;
    std::string base_name_;
};

}  // namespace platform::posix
