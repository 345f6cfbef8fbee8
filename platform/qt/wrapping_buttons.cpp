#include "platform/qt/wrapping_buttons.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace platform::qt {
namespace {

void paint_wrapped(QAbstractButton& button, const QStyleOptionButton& option,
                   QStyle::SubElement indicator_element, QStyle::SubElement contents_element,
                   QStyle::PrimitiveElement indicator) {
    QStylePainter painter(&button);
    QStyleOptionButton box = option;
    QRect mark = button.style()->subElementRect(indicator_element, &option, &button);
    mark.moveTop((button.height() - mark.height()) / 2);
    box.rect = mark;
    painter.drawPrimitive(indicator, box);

    QRect text_area = button.style()->subElementRect(contents_element, &option, &button);
    text_area.setTop(0);
    text_area.setBottom(button.height() - 1);
    text_area.setRight(button.width() - 1);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    painter.setPen(button.palette().color(
        button.isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(text_area, flags, button.text());

    if (button.hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(&button);
        focus.rect = painter.boundingRect(text_area, flags, button.text()).adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

}  // namespace

void WrappingCheckBox::paintEvent(QPaintEvent*) {
    QStyleOptionButton option;
    initStyleOption(&option);
    paint_wrapped(*this, option, QStyle::SE_CheckBoxIndicator, QStyle::SE_CheckBoxContents,
                  QStyle::PE_IndicatorCheckBox);
}

bool WrappingCheckBox::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

void WrappingRadioButton::paintEvent(QPaintEvent*) {
    QStyleOptionButton option;
    initStyleOption(&option);
    paint_wrapped(*this, option, QStyle::SE_RadioButtonIndicator, QStyle::SE_RadioButtonContents,
                  QStyle::PE_IndicatorRadioButton);
}

bool WrappingRadioButton::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

}  // namespace platform::qt
