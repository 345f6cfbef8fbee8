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
    // Every piece of `text` between CR LF pairs, except the pieces equal to `skipped`.
    static ListItems from_lines(std::string text, std::string_view skipped);

    std::size_t size() const { return spans_.size(); }
    bool empty() const { return spans_.empty(); }
    std::string_view at(std::size_t index) const;

  private:
    struct Span {
        std::uint64_t start;
        std::uint64_t length;
    };
    std::shared_ptr<const std::string> text_;
    std::vector<Span> spans_;
};

}  // namespace app
