#pragma once

#include <optional>
#include <string>

namespace platform {

enum class MessageIcon { None, Critical };

// Modal message boxes with an OK button only; their text can be selected and copied.
class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    virtual void show(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
    // A modal box with `text`, a one-line text box, OK and Cancel: what was typed, or nothing
    // when it was cancelled.
    virtual std::optional<std::string> ask(const std::string& text, const std::string& caption) = 0;
};

}  // namespace platform
