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
    switch (app::strength_level(value_)) {
        case app::StrengthLevel::Weak:
            return {0xd3, 0x2f, 0x2f};
        case app::StrengthLevel::Fair:
            return {0xf5, 0x9e, 0x0b};
        case app::StrengthLevel::Strong:
            return {0x7c, 0xb3, 0x42};
        case app::StrengthLevel::VeryStrong:
            break;
    }
    return {0x2e, 0x7d, 0x32};
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
