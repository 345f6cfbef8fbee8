#pragma once

#include <string>

namespace platform {

enum class MessageIcon { None, Critical };

// Modal message boxes with an OK button only.
class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    virtual void show(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
};

}  // namespace platform
