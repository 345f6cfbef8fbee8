#pragma once

#include <QLabel>

namespace platform::qt {

// A label: a link (blue, underlined, a pointing hand) or plain text that wraps.
QLabel* make_label(const QString& caption, bool link, QWidget* parent);

}  // namespace platform::qt
