#include "platform/qt/text_box.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>
#include <limits>

#include "app/window_plan.h"
#include "platform/qt/qt_services.h"

namespace platform::qt {

int typed_character(const QKeyEvent& key) {
    Qt::KeyboardModifiers modifiers = key.modifiers();
    // AltGr arrives as Ctrl+Alt on some systems and types the character of its key.
    bool control = (modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier);
    switch (key.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return -1;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return app::keys::kEnter;
        case Qt::Key_Escape:
            return app::keys::kEscape;
        case Qt::Key_Backspace:
            return control ? app::keys::kCtrlBackspace : app::keys::kBackspace;
        default:
            break;
    }
    if (key.matches(QKeySequence::Copy)) {
        return app::keys::kCopy;
    }
    if (key.matches(QKeySequence::Paste)) {
        return app::keys::kPaste;
    }
    if (key.matches(QKeySequence::Cut)) {
        return app::keys::kCut;
    }
    if (key.key() == Qt::Key_Delete) {
        return -1;
    }
    if (control && key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z) {
        return app::keys::ctrl(static_cast<char>(key.key()));
    }
    QString text = key.text();
    return text.isEmpty() ? -1 : static_cast<int>(text.toUcs4().value(0));
}

bool filter_typing(QEvent* event, const std::function<void(int& code)>& filter) {
    if (event->type() == QEvent::KeyPress) {
        int code = typed_character(*static_cast<QKeyEvent*>(event));
        if (code < 0) {
            return false;
        }
        filter(code);
        return code == 0;
    }
    if (event->type() == QEvent::InputMethod) {
        auto* input = static_cast<QInputMethodEvent*>(event);
        if (input->commitString().isEmpty()) {
            return false;
        }
        QString kept;
        for (char32_t character : input->commitString().toUcs4()) {
            int code = static_cast<int>(character);
            filter(code);
            if (code != 0) {
                kept += QString::fromUcs4(&character, 1);
            }
        }
        input->setCommitString(kept, input->replacementStart(), input->replacementLength());
    }
    return false;
}

QLineEdit* make_text_box(const QString& text, bool secret, QWidget* parent) {
    QLineEdit* box = secret ? new SecretBox(text, parent) : new QLineEdit(text, parent);
    // Pasted text arrives whole, not cut at the default limit.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

SecretBox::SecretBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    // The box writes the clipboard and the selection within its own event handling or from its
    // menu; the mark goes on at once, before any other program can read the text.
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this,
            [this](QClipboard::Mode mode) {
                if (handling_event_ || menu_ != nullptr) {
                    mark(mode);
                }
            });
}

bool SecretBox::event(QEvent* event) {
    QScopedValueRollback<bool> handling(handling_event_, true);
    return QLineEdit::event(event);
}

void SecretBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu_ = menu;
    menu->popup(event->globalPos());
}

void SecretBox::mark(QClipboard::Mode mode) {
    // Only what came from this box: some platforms cannot tell who owns the clipboard.
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(mode);
    if (data != nullptr && !is_secret(*data) && !data->text().isEmpty() &&
        text().contains(data->text())) {
        put_secret(data->text(), mode);
    }
}

}  // namespace platform::qt
