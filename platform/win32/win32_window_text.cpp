#include "platform/win32/win32_window_text.h"

#include <windows.h>

namespace platform::win32 {

std::size_t utf16_offset(std::wstring_view text, std::size_t index) {
    std::size_t offset = 0;
    for (std::size_t seen = 0; seen < index && offset < text.size(); ++seen) {
        bool pair = IS_HIGH_SURROGATE(text[offset]) && offset + 1 < text.size() &&
                    IS_LOW_SURROGATE(text[offset + 1]);
        offset += pair ? 2 : 1;
    }
    return offset;
}

}  // namespace platform::win32
