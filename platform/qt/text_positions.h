#pragma once

#include <QString>
#include <utility>

namespace platform::qt {

// Code-point positions, as the model counts them, turned into Qt's UTF-16 positions.
std::pair<int, int> utf16_range(const QString& text, std::size_t start, std::size_t length);

}  // namespace platform::qt
