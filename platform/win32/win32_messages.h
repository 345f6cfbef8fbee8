#pragma once

#include <windows.h>

#include <functional>

#include "platform/message_box.h"
#include "platform/sound.h"

namespace platform::win32 {

// Message boxes owned by the main window while it is shown.
class Win32MessageBoxes : public MessageBoxService {
  public:
    explicit Win32MessageBoxes(std::function<HWND()> owner) : owner_(std::move(owner)) {}
    void show(const std::string& text, const std::string& caption, MessageIcon icon) override;
    std::optional<std::string> ask(const std::string& text, const std::string& caption) override;

  private:
    std::function<HWND()> owner_;
};

class Win32Sound : public Sound {
  public:
    void beep() override;
};

}  // namespace platform::win32
