#pragma once

#include <QIcon>
#include <QPixmap>

namespace platform::qt {

// Keymint's banner, drawn for the given size in device-independent pixels.
QPixmap banner_picture(QSize size, qreal device_pixel_ratio);

// The window's small sans-serif font, close to the classic dialog font where one is installed.
void use_window_font();

// The program icon, in the sizes desktops ask for.
QIcon program_icon();

}  // namespace platform::qt
