#pragma once

#include "platform/program_info.h"

namespace platform::win32 {

// The running executable as GetModuleFileNameW names it.
class Win32ProgramInfo : public ProgramInfo {
  public:
    Win32ProgramInfo();
    std::string folder() const override { return folder_; }
    std::string base_name() const override { return base_name_; }
    char separator() const override { return '\\'; }
    // %LOCALAPPDATA%\Keymint: the user's own, not roamed to other machines.
    std::string user_data_folder() const override;
    // The executable's full path.
    const std::string& executable() const { return executable_; }

  private:
    std::string executable_;
    std::string folder_;
    std::string base_name_;
};

}  // namespace platform::win32
