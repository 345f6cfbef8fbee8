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

std::size_t points_before(const QString& text, int utf16) {
    std::size_t points = 0;
    for (int index = 0; index < utf16 && index < text.size(); ++points) {
        index += (text.at(index).isHighSurrogate() && index + 1 < text.size()) ? 2 : 1;
    }
    return points;
}

}  // namespace

std::pair<int, int> utf16_range(const QString& text, std::size_t start, std::size_t length) {
    int begin = utf16_index(text, start);
    int end = utf16_index(text, start + length);
    return {begin, end - begin};
}

std::pair<std::size_t, std::size_t> code_point_range(const QString& text, int start, int length) {
    std::size_t begin = points_before(text, start);
    return {begin, points_before(text, start + length) - begin};
}

}  // namespace platform::qt
