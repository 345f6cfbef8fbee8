#include "platform/qt/strength_meter.h"

#include <QPainter>
#include <algorithm>

#include "app/strength.h"

namespace platform::qt {

void StrengthMeter::set_value(int value) {
    value_ = std::clamp(value, 0, 100);
    update();
}

QColor StrengthMeter::colour() const {
    return QColor::fromRgb(app::meter_fill(app::strength_level(value_),
                                           palette().color(QPalette::Window).rgb() & 0xFFFFFF,
                                           palette().color(QPalette::WindowText).rgb() & 0xFFFFFF));
}

void StrengthMeter::paintEvent(QPaintEvent*) {
    if (value_ == 0) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Midlight));
    painter.fillRect(QRect(0, 0, width() * value_ / 100, height()), colour());
}

}  // namespace platform::qt
