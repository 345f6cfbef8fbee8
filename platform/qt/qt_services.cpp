#include "platform/qt/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <utility>

#include "platform/qt/artwork.h"
#include "platform/qt/wayland_data_control.h"

namespace platform::qt {

void QtMessageBoxes::show(const std::string& text, const std::string& caption, MessageIcon icon) {
    QString body = QString::fromStdString(text);
    body.replace("\r\n", "\n");
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(caption), body, QMessageBox::Ok,
                    owner_ != nullptr && owner_->isVisible() ? owner_ : nullptr);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

std::optional<std::string> QtMessageBoxes::ask(const std::string& text,
                                               const std::string& caption) {
    QString body = QString::fromStdString(text);
    body.replace("\r\n", "\n");
    bool answered = false;
    const QString typed = QInputDialog::getText(
        owner_ != nullptr && owner_->isVisible() ? owner_ : nullptr,
        QString::fromStdString(caption), body, QLineEdit::Normal, {}, &answered);
    if (!answered) {
        return std::nullopt;
    }
    return typed.toStdString();
}

namespace {

constexpr const char* kSecretMark = "x-kde-passwordManagerHint";

}  // namespace

void put_secret(const QString& text, QClipboard::Mode mode) {
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(kSecretMark, "secret");
    QGuiApplication::clipboard()->setMimeData(data, mode);
}

bool is_secret(const QMimeData& data) {
    return data.data(kSecretMark) == "secret";
}

QtClipboard::QtClipboard()
    : context_(std::make_unique<QObject>()), data_control_(std::make_unique<WaylandDataControl>()) {
    watching_ = QObject::connect(
        QGuiApplication::clipboard(), &QClipboard::changed, [this](QClipboard::Mode mode) {
            const QMimeData* data = QGuiApplication::clipboard()->mimeData(mode);
            if (!copying_ && on_secret_copied && data != nullptr && is_secret(*data) &&
                mode != QClipboard::FindBuffer) {
                on_secret_copied(data->text().toStdString(), mode == QClipboard::Selection);
            }
            if (!unfocused_clears_.empty()) {
                // The window has the focus back, and with it the selection; let Qt take the
                // focus in first.
                QTimer::singleShot(100, context_.get(), [this] { clear_again(); });
            }
        });
}

QtClipboard::~QtClipboard() {
    QObject::disconnect(watching_);
}

void QtClipboard::clear_held(QClipboard::Mode mode, const QString& held) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (held.isEmpty() || (mode == QClipboard::Selection && !clipboard->supportsSelection())) {
        return;
    }
    if (data_control_->available()) {
        // The compositor lets any program change the selection (KDE Plasma, wlroots). Without the
        // focus Keymint still sees a selection of its own, and that only.
        if (clipboard->text(mode) == held) {
            data_control_->clear(mode == QClipboard::Selection);
        }
        return;
    }
    // A Wayland window without the focus sees no selection but its own, and the compositor may
    // refuse it a change (GNOME): the selection it is sent with the focus is looked at then.
    const bool owned =
        mode == QClipboard::Selection ? clipboard->ownsSelection() : clipboard->ownsClipboard();
    const QMimeData* data = clipboard->mimeData(mode);
    if (QGuiApplication::applicationState() != Qt::ApplicationActive ||
        (!owned && (data == nullptr || data->formats().isEmpty()))) {
        unfocused_clears_.emplace_back(mode, held);
        return;
    }
    if (clipboard->text(mode) == held) {
        // The compositor keeps a copy of a selection its owner lets go (weston, GNOME): an empty
        // selection takes the password's place instead.
        auto* empty = new QMimeData;
        empty->setText(QString());
        clipboard->setMimeData(empty, mode);
    }
}

void QtClipboard::clear_again() {
    for (const auto& [mode, held] : std::exchange(unfocused_clears_, {})) {
        clear_held(mode, held);
    }
}

void QtClipboard::copy_secret(const std::string& text) {
    QScopedValueRollback<bool> copying(copying_, true);
    put_secret(QString::fromStdString(text), QClipboard::Clipboard);
}

std::string QtClipboard::text() const {
    return QGuiApplication::clipboard()->text().toStdString();
}

void QtClipboard::clear() {
    QGuiApplication::clipboard()->clear();
}

// On X11 the clipboard can be read and changed at any time, as the base class assumes.
void QtClipboard::clear_if_holding(const std::string& held) {
    if (QGuiApplication::platformName() != "wayland") {
        Clipboard::clear_if_holding(held);
        return;
    }
    clear_held(QClipboard::Clipboard, QString::fromStdString(held));
}

void QtClipboard::clear_selection_if_holding(const std::string& held) {
    if (QGuiApplication::platformName() != "wayland") {
        Clipboard::clear_selection_if_holding(held);
        return;
    }
    clear_held(QClipboard::Selection, QString::fromStdString(held));
}

std::string QtClipboard::selection_text() const {
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard->supportsSelection() ? clipboard->text(QClipboard::Selection).toStdString()
                                          : std::string();
}

void QtClipboard::clear_selection() {
    if (QGuiApplication::clipboard()->supportsSelection()) {
        QGuiApplication::clipboard()->clear(QClipboard::Selection);
    }
}

QtTimer::QtTimer() : timer_(std::make_unique<QTimer>()) {
    timer_->setSingleShot(true);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        auto callback = std::move(callback_);
        callback_ = nullptr;
        if (callback) {
            callback();
        }
    });
}

QtTimer::~QtTimer() = default;

void QtTimer::start(int milliseconds, std::function<void()> callback) {
    callback_ = std::move(callback);
    timer_->start(milliseconds);
}

void QtTimer::cancel() {
    timer_->stop();
    callback_ = nullptr;
}

QtTray::QtTray() : icon_(std::make_unique<QSystemTrayIcon>()) {
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         int button = reason == QSystemTrayIcon::Trigger   ? 1
                                      : reason == QSystemTrayIcon::Context ? 2
                                                                           : 0;
                         if (button != 0 && on_mouse) {
                             on_mouse(button);
                         }
                     });
}

QtTray::~QtTray() = default;

bool QtTray::available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTray::add(const NotifyIconData& icon) {
    if (icon_->isVisible()) {
        return;
    }
    icon_->setIcon(program_icon());
    icon_->setToolTip(QString::fromStdString(icon.szTip));
    icon_->show();
}

void QtTray::remove(const NotifyIconData&) {
    icon_->hide();
}

void QtShell::open(const std::string&, const std::string& address) {
    QString target = QString::fromStdString(address);
    QDesktopServices::openUrl(QDir::isAbsolutePath(target) ? QUrl::fromLocalFile(target)
                                                           : QUrl(target));
}

void QtSound::beep() {
    QApplication::beep();
}

}  // namespace platform::qt
