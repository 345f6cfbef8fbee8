#pragma once

#include "platform/clipboard.h"
#include "platform/message_box.h"
#include "platform/sound.h"

class QWidget;

namespace platform::qt {

class QtMessageBoxes : public MessageBoxService {
  public:
    explicit QtMessageBoxes(QWidget* owner) : owner_(owner) {}
    void show(const std::string& text, const std::string& caption, MessageIcon icon) override;

  private:
    QWidget* owner_;
};

class QtClipboard : public Clipboard {
  public:
    void copy_secret(const std::string& text) override;
    std::string text() const override;
};

class QtSound : public Sound {
  public:
    void beep() override;
};

}  // namespace platform::qt
