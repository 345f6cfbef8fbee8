#pragma once

#include <string>

#include "platform/instance_flag.h"

namespace platform::win32 {

// A named mutex for the executable's path, held for the process's life. The name lives in the
// session's namespace, so another user's copy does not count.
class Win32InstanceFlag : public InstanceFlag {
  public:
    explicit Win32InstanceFlag(const std::string& executable);
    ~Win32InstanceFlag() override;
    Win32InstanceFlag(const Win32InstanceFlag&) = delete;
    Win32InstanceFlag& operator=(const Win32InstanceFlag&) = delete;

    bool previous_instance() override { return previous_; }

    // "Local\Keymint-" and a hash of the lower-cased path: Windows paths ignore case.
    static std::wstring mutex_name(const std::string& executable);

  private:
    void* mutex_ = nullptr;
    bool previous_ = false;
};

}  // namespace platform::win32
