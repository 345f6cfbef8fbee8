#include "platform/qt/text_positions.h"

namespace platform::qt {
namespace {

// UTF-16 index of the code point with index `points`, clamped to the text's end.
int utf16_index(const QString& text, std::size_t points) {
    int index = 0;
    for (std::size_t i = 0; i < points && index < text.size(); ++i) {
        index += (text.at(index).isHighSurrogate() && index + 1 < text.size()) ? 2 : 1;
    }
    return index;
}

}  // namespace

std::pair<int, int> utf16_range(const QString& text, std::size_t start, std::size_t length) {
    int begin = utf16_index(text, start);
    int end = utf16_index(text, start + length);
    return {begin, end - begin};
}

}  // namespace platform::qt
