#pragma once

#include <string>

#include "platform/instance_flag.h"

namespace platform::posix {

// An exclusive lock on a file named after the executable's path, held for the process's life.
class PosixInstanceFlag : public InstanceFlag {
  public:
    // `executable` identifies the program; `lock_folder` holds the lock files.
    PosixInstanceFlag(const std::string& executable, const std::string& lock_folder);
    ~PosixInstanceFlag() override;
    PosixInstanceFlag(const PosixInstanceFlag&) = delete;
    PosixInstanceFlag& operator=(const PosixInstanceFlag&) = delete;

    bool previous_instance() override { return previous_; }

    // $XDG_RUNTIME_DIR, or else $XDG_CACHE_HOME/keymint (created for the user alone).
    static std::string default_lock_folder();

  private:
    int fd_ = -1;
    bool previous_ = false;
};

}  // namespace platform::posix
