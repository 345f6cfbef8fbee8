#include "platform/qt/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>

namespace platform::qt {

void QtMessageBoxes::show(const std::string& text, const std::string& caption, MessageIcon icon) {
    QString body = QString::fromStdString(text);
    body.replace("\r\n", "\n");
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(caption), body, QMessageBox::Ok,
                    owner_ != nullptr && owner_->isVisible() ? owner_ : nullptr);
    box.exec();
}

void QtClipboard::copy_secret(const std::string& text) {
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(text));
    // Password managers set this so that clipboard histories skip the entry.
    data->setData("x-kde-passwordManagerHint", "secret");
    QGuiApplication::clipboard()->setMimeData(data);
}

std::string QtClipboard::text() const {
    return QGuiApplication::clipboard()->text().toStdString();
}

void QtSound::beep() {
    QApplication::beep();
}

}  // namespace platform::qt
