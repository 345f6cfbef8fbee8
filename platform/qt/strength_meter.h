#pragma once

#include <QWidget>

namespace platform::qt {

// A thin bar filled to its value (0 to 100), coloured by the password's strength level; at 0 it
// draws nothing.
class StrengthMeter : public QWidget {
  public:
    explicit StrengthMeter(QWidget* parent) : QWidget(parent) {}
    void set_value(int value);
    int value() const { return value_; }
    QColor colour() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int value_ = 0;
};

}  // namespace platform::qt
