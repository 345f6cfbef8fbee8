#pragma once

#include <QCheckBox>
#include <QRadioButton>

namespace platform::qt {

// Check boxes and option buttons whose captions wrap onto a second line when the control is
// narrower than its caption, as the classic controls do.
class WrappingCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
};

class WrappingRadioButton : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
};

}  // namespace platform::qt
