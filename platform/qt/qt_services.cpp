#include "platform/qt/qt_services.h"

#include <QApplication>
#include <QMessageBox>

namespace platform::qt {

void QtMessageBoxes::show(const std::string& text, const std::string& caption, MessageIcon icon) {
    QString body = QString::fromStdString(text);
    body.replace("\r\n", "\n");
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(caption), body, QMessageBox::Ok,
                    owner_ != nullptr && owner_->isVisible() ? owner_ : nullptr);
    box.exec();
}

void QtSound::beep() {
    QApplication::beep();
}

}  // namespace platform::qt
