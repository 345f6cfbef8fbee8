#include "app/list_items.h"

#include <limits>
#include <stdexcept>

namespace app {

ListItems ListItems::from_lines(std::string text, std::string_view skipped) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("The list is too large to show.");
    }
    auto shared = std::make_shared<const std::string>(std::move(text));
    const std::string_view all(*shared);
    auto spans = std::make_shared<std::vector<Span>>();
    std::size_t breaks = 0;
    for (auto at = all.find("\r\n"); at != std::string_view::npos; at = all.find("\r\n", at + 2)) {
        ++breaks;
    }
    spans->reserve(breaks + 1);
    std::size_t start = 0;
    for (;;) {
        std::size_t end = all.find("\r\n", start);
        std::size_t stop = end == std::string_view::npos ? all.size() : end;
        if (all.substr(start, stop - start) != skipped) {
            spans->push_back(
                {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(stop - start)});
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 2;
    }
    ListItems items;
    items.text_ = std::move(shared);
    items.spans_ = std::move(spans);
    return items;
}

std::string_view ListItems::at(std::size_t index) const {
    if (!spans_) {
        throw std::out_of_range("The list is empty.");
    }
    const Span& span = spans_->at(index);
    return std::string_view(*text_).substr(span.start, span.length);
}

}  // namespace app
