#include "platform/qt/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMessageBox>
#include <QMimeData>
#include <QSystemTrayIcon>
#include <QUrl>

#include "platform/qt/artwork.h"

namespace platform::qt {

void QtMessageBoxes::show(const std::string& text, const std::string& caption, MessageIcon icon) {
    QString body = QString::fromStdString(text);
    body.replace("\r\n", "\n");
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(caption), body, QMessageBox::Ok,
                    owner_ != nullptr && owner_->isVisible() ? owner_ : nullptr);
    box.exec();
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

void QtClipboard::copy_secret(const std::string& text) {
    put_secret(QString::fromStdString(text), QClipboard::Clipboard);
}

std::string QtClipboard::text() const {
    return QGuiApplication::clipboard()->text().toStdString();
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
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

void QtSound::beep() {
    QApplication::beep();
}

}  // namespace platform::qt
