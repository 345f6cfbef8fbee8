#pragma once

#include <functional>
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
    // The text the selection holds (the X11 primary selection, which a middle click pastes);
    // empty where the system has none.
    virtual std::string selection_text() const { return {}; }
    virtual void clear_selection() {}
    // Empty the clipboard, or the selection, while it holds `text` (not empty), and leave
    // anything else alone. A system that cannot tell now may do it when it can.
    virtual void clear_if_holding(const std::string& held) {
        if (!held.empty() && text() == held) {
            clear();
        }
    }
    virtual void clear_selection_if_holding(const std::string& held) {
        if (!held.empty() && selection_text() == held) {
            clear_selection();
        }
    }

    // Told when the password box put (part of) its text on the clipboard, or on the selection,
    // by a way of its own (its menu, a drag, selecting it) rather than through copy_secret.
    std::function<void(const std::string& text, bool selection)> on_secret_copied;
};

}  // namespace platform
