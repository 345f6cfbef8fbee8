#pragma once

#include <string>

namespace platform {

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // Puts a password on the clipboard as plain text, marked so that clipboard histories do not
    // keep it.
    virtual void copy_secret(const std::string& text) = 0;
    // The plain text the clipboard holds now.
    virtual std::string text() const = 0;
    // Empties the clipboard, whoever filled it.
    virtual void clear() = 0;
};

}  // namespace platform
