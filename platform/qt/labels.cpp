#include "platform/qt/labels.h"

#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace platform::qt {

QLabel* make_label(const QString& caption, bool link, QWidget* parent) {
    if (!link) {
        auto* label = new QLabel(caption, parent);
        label->setWordWrap(true);
        return label;
    }
    auto* label = new LinkLabel(caption, parent);
    QFont font = label->font();
    font.setFamilies({"MS Sans Serif", font.family()});
    font.setPointSizeF(8.25);
    font.setUnderline(true);
    label->setFont(font);
    QPalette colours = label->palette();
    // The theme's link colour, which a high-contrast or dark theme keeps readable.
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Link));
    label->setPalette(colours);
    label->setCursor(Qt::PointingHandCursor);
    label->setFocusPolicy(Qt::StrongFocus);
    return label;
}

void LinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) {
        return;
    }
    QStylePainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = contentsRect().intersected(
        fontMetrics().boundingRect(contentsRect(), Qt::AlignLeft | Qt::AlignTop, text()));
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}

}  // namespace platform::qt
