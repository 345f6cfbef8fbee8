#pragma once

#include <QWidget>

namespace platform::qt {

// The up-down control: two arrow buttons, "up" and "down", one above the other, which repeat
// while held and take no focus (the length box beside them does). A screen reader reads them
// as one spin button with its two named arrows.
QWidget* make_spin_arrows(const QString& up_name, const QString& down_name, QWidget* parent);

}  // namespace platform::qt
