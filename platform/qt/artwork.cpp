#include "platform/qt/artwork.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace platform::qt {
namespace {

const QColor kDeepTeal(0x0e, 0x3b, 0x3a);
const QColor kTeal(0x17, 0x6b, 0x5c);
const QColor kMint(0x9c, 0xf0, 0xc4);
const QColor kPale(0xe6, 0xfb, 0xf0);

// A key lying on its side in a `unit` square box at `origin`: round bow, shaft, two teeth.
QPainterPath key_shape(QPointF origin, qreal unit) {
    const qreal bow = unit * 0.42;
    const QPointF centre = origin + QPointF(bow * 0.5 + unit * 0.04, unit * 0.5);
    QPainterPath ring;
    ring.addEllipse(centre, bow * 0.5, bow * 0.5);
    QPainterPath hole;
    hole.addEllipse(centre, bow * 0.2, bow * 0.2);

    QPainterPath shaft;
    const qreal thickness = unit * 0.13;
    const qreal shaft_left = centre.x() + bow * 0.45;
    const qreal shaft_right = origin.x() + unit * 0.96;
    shaft.addRect(
        QRectF(shaft_left, centre.y() - thickness / 2, shaft_right - shaft_left, thickness));
    QPainterPath teeth;
    teeth.addRect(QRectF(shaft_right - unit * 0.12, centre.y(), unit * 0.1, unit * 0.2));
    teeth.addRect(QRectF(shaft_right - unit * 0.3, centre.y(), unit * 0.08, unit * 0.14));
    return ring.united(shaft).united(teeth).subtracted(hole);
}

}  // namespace

QPixmap banner_picture(QSize size, qreal device_pixel_ratio) {
    QPixmap picture(size * device_pixel_ratio);
    picture.setDevicePixelRatio(device_pixel_ratio);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient background(0, 0, size.width(), size.height());
    background.setColorAt(0, kDeepTeal);
    background.setColorAt(1, kTeal);
    painter.fillRect(QRect(QPoint(0, 0), size), background);

    // A faint row of password dots behind the title.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 28));
    const qreal dot = size.height() * 0.09;
    for (int i = 0; i < 12; ++i) {
        painter.drawEllipse(QPointF(size.width() * 0.38 + i * dot * 2.2, size.height() * 0.8),
                            dot / 2, dot / 2);
    }

    const qreal unit = size.height() * 0.8;
    painter.setBrush(kMint);
    painter.drawPath(key_shape(QPointF(size.height() * 0.12, size.height() * 0.1), unit));

    QFont title = painter.font();
    title.setPixelSize(static_cast<int>(size.height() * 0.36));
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(kPale);
    const QRectF text_area(size.height() * 1.05, 0, size.width() - size.height() * 1.1,
                           size.height() * 0.62);
    painter.drawText(text_area, Qt::AlignLeft | Qt::AlignBottom, "Keymint");

    QFont subtitle = title;
    subtitle.setBold(false);
    subtitle.setPixelSize(static_cast<int>(size.height() * 0.15));
    painter.setFont(subtitle);
    painter.setPen(kMint);
    painter.drawText(
        QRectF(text_area.left(), size.height() * 0.6, text_area.width(), size.height() * 0.2),
        Qt::AlignLeft | Qt::AlignTop, "password generator");
    return picture;
}

void use_window_font() {
    QFont font = QApplication::font();
    font.setFamilies({"MS Sans Serif", "Arial", "Liberation Sans", font.family()});
    font.setPixelSize(11);
    QApplication::setFont(font);
}

QIcon program_icon() {
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap image(side, side);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        QLinearGradient background(0, 0, side, side);
        background.setColorAt(0, kTeal);
        background.setColorAt(1, kDeepTeal);
        painter.setBrush(background);
        painter.drawRoundedRect(QRectF(0, 0, side, side), side * 0.2, side * 0.2);
        painter.setBrush(kMint);
        painter.drawPath(key_shape(QPointF(side * 0.06, side * 0.06), side * 0.88));
        icon.addPixmap(image);
    }
    return icon;
}

}  // namespace platform::qt
