#pragma once

#include "platform/shell.h"

namespace platform::win32 {

// Opens addresses through ShellExecuteW, owned by the program's active window.
class Win32Shell : public Shell {
  public:
    void open(const std::string& verb, const std::string& address) override;
};

}  // namespace platform::win32
