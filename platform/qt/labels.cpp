#include "platform/qt/labels.h"

namespace platform::qt {

QLabel* make_label(const QString& caption, bool link, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    if (!link) {
        label->setWordWrap(true);
        return label;
    }
    QFont font = label->font();
    font.setFamilies({"MS Sans Serif", font.family()});
    font.setPointSizeF(8.25);
    font.setUnderline(true);
    label->setFont(font);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(colours);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

}  // namespace platform::qt
