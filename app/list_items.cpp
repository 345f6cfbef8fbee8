#include "app/list_items.h"

namespace app {

ListItems ListItems::from_lines(std::string text, std::string_view skipped) {
    ListItems items;
    auto shared = std::make_shared<const std::string>(std::move(text));
    std::string_view all(*shared);
    std::size_t start = 0;
    for (;;) {
        std::size_t end = all.find("\r\n", start);
        std::size_t stop = end == std::string_view::npos ? all.size() : end;
        if (all.substr(start, stop - start) != skipped) {
            items.spans_.push_back({start, stop - start});
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 2;
    }
    items.text_ = std::move(shared);
    return items;
}

std::string_view ListItems::at(std::size_t index) const {
    const Span& span = spans_.at(index);
    return std::string_view(*text_).substr(span.start, span.length);
}

}  // namespace app
