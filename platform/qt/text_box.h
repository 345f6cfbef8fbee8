#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <QPointer>
#include <functional>

class QKeyEvent;
class QMenu;

namespace platform::qt {

// The character code a key press types, as the key filters see it, or -1 for keys that type
// none (Delete, the arrows, Tab). The clipboard keys without a character of their own count as
// Ctrl+C, Ctrl+V and Ctrl+X.
int typed_character(const QKeyEvent& key);

// Runs what a key press or an input method types through `filter`, which sets a code to 0 to
// discard it. Returns true when the whole event is to be dropped.
bool filter_typing(QEvent* event, const std::function<void(int& code)>& filter);

// A single-line box that takes text of any length; a secret one marks what it copies.
QLineEdit* make_text_box(const QString& text, bool secret, QWidget* parent);

// The box that shows the password: whatever it puts on the clipboard or the selection, by mouse,
// keys or its context menu, carries the mark that keeps clipboard histories from storing it.
class SecretBox : public QLineEdit {
  public:
    SecretBox(const QString& text, QWidget* parent);

  protected:
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void mark(QClipboard::Mode mode);

    bool handling_event_ = false;
    QPointer<QMenu> menu_;
};

}  // namespace platform::qt
