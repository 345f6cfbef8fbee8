#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// The items of a list box, kept as one text and the places of the items in it, so that a
// million records cost little more than the file they came from.
class ListItems {
  public:
    ListItems() = default;
    // Every piece of `text` between CR LF pairs, except the pieces equal to `skipped`. A text of
    // 4 GiB or more is refused with std::length_error.
    static ListItems from_lines(std::string text, std::string_view skipped);

    std::size_t size() const { return spans_ ? spans_->size() : 0; }
    bool empty() const { return size() == 0; }
    std::string_view at(std::size_t index) const;

  private:
    struct Span {
        std::uint32_t start;
        std::uint32_t length;
    };
    // Copies share both, so handing the items to a view costs nothing.
    std::shared_ptr<const std::string> text_;
    std::shared_ptr<const std::vector<Span>> spans_;
};

}  // namespace app
