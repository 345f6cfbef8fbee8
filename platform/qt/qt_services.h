#pragma once

#include "platform/clipboard.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/timer.h"
#include "platform/tray.h"

#include <QClipboard>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/sound.h"

class QMimeData;
class QWidget;
class QSystemTrayIcon;
class QTimer;

namespace platform::qt {

class WaylandDataControl;

class QtMessageBoxes : public MessageBoxService {
  public:
    explicit QtMessageBoxes(QWidget* owner) : owner_(owner) {}
    void show(const std::string& text, const std::string& caption, MessageIcon icon) override;
    std::optional<std::string> ask(const std::string& text, const std::string& caption) override;

  private:
    QWidget* owner_;
};

// Puts text on the clipboard or the selection with the mark password managers set, so that
// clipboard histories skip it.
void put_secret(const QString& text, QClipboard::Mode mode);
bool is_secret(const QMimeData& data);

class QtClipboard : public Clipboard {
  public:
    // Tells on_secret_copied of every secret that lands on the clipboard or the selection.
    QtClipboard();
    ~QtClipboard() override;
    QtClipboard(const QtClipboard&) = delete;
    QtClipboard& operator=(const QtClipboard&) = delete;
    void copy_secret(const std::string& text) override;
    std::string text() const override;
    void clear() override;
    std::string selection_text() const override;
    void clear_selection() override;
    void clear_if_holding(const std::string& held) override;
    void clear_selection_if_holding(const std::string& held) override;

  private:
    // On Wayland.
    void clear_held(QClipboard::Mode mode, const QString& held);
    void clear_again();

    std::unique_ptr<QObject> context_;
    std::unique_ptr<WaylandDataControl> data_control_;
    QMetaObject::Connection watching_;
    bool copying_ = false;
    // To be cleared once the window has the focus, while they still hold these texts.
    std::vector<std::pair<QClipboard::Mode, QString>> unfocused_clears_;
};

// The desktop's notification area: StatusNotifierItem where the desktop offers it, XEmbed
// elsewhere.
class QtTray : public Tray {
  public:
    QtTray();
    ~QtTray() override;
    bool available() const override;
    void add(const NotifyIconData& icon) override;
    void remove(const NotifyIconData& icon) override;

    // Receives the button value of each click on the icon.
    std::function<void(int button)> on_mouse;

  private:
    std::unique_ptr<QSystemTrayIcon> icon_;
};

class QtShell : public Shell {
  public:
    void open(const std::string& verb, const std::string& address) override;
};

class QtTimer : public Timer {
  public:
    QtTimer();
    ~QtTimer() override;
    void start(int milliseconds, std::function<void()> callback) override;
    void cancel() override;

  private:
    std::unique_ptr<QTimer> timer_;
    std::function<void()> callback_;
};

class QtSound : public Sound {
  public:
    void beep() override;
};

}  // namespace platform::qt
