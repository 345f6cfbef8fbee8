#pragma once

#include <QLabel>

namespace platform::qt {

// A label: a link (the palette's link colour, underlined, a pointing hand, a stop of the Tab key)
// or plain text that wraps.
QLabel* make_label(const QString& caption, bool link, QWidget* parent);

// A link shows where the keyboard's focus is, as a button does.
class LinkLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace platform::qt
