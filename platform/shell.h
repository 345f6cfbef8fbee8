#pragma once

#include <string>

namespace platform {

class Shell {
  public:
    virtual ~Shell() = default;
    // Hands a web address, or a folder given by its full path, to the desktop's default handler
    // and returns at once.
    virtual void open(const std::string& verb, const std::string& address) = 0;
};

}  // namespace platform
