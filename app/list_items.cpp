#include "app/list_items.h"

#include <limits>
#include <stdexcept>

#include "app/line_splitter.h"
#include "app/record_codec.h"

namespace app {

ListItems ListItems::from_lines(std::string text, std::string_view skipped,
                                std::shared_ptr<const RecordCodec> codec) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("The list is too large to show.");
    }
    auto shared = std::make_shared<const std::string>(std::move(text));
    // Passwords often have the skipped line's length; the first byte settles most of them
    // without a call to compare the rest.
    auto kept = [skipped](std::string_view line) {
        return line.size() != skipped.size() || (!line.empty() && line[0] != skipped[0]) ||
               line != skipped;
    };
    auto starts = std::make_shared<std::vector<std::uint32_t>>();
    for_each_line(*shared, [&](std::string_view line, std::uint64_t start) {
        if (kept(line)) {
            starts->push_back(static_cast<std::uint32_t>(start));
        }
    });
    ListItems items;
    items.text_ = std::move(shared);
    items.starts_ = std::move(starts);
    items.codec_ = std::move(codec);
    return items;
}

std::string_view ListItems::up_to(std::size_t index, std::size_t limit) const {
    if (!starts_) {
        throw std::out_of_range("The list is empty.");
    }
    const std::string_view rest = std::string_view(*text_).substr(starts_->at(index));
    const std::size_t end = rest.substr(0, limit).find_first_of("\r\n");
    return rest.substr(0, end == std::string_view::npos ? limit : end);
}

std::string ListItems::at(std::size_t index) const {
    const std::string_view line = up_to(index, std::string_view::npos);
    if (!codec_) {
        return std::string(line);
    }
    return codec_->password_of(line).value_or(std::string());
}

std::string ListItems::shown(std::size_t index) const {
    std::optional<std::string> read;
    if (codec_) {
        read = codec_->password_of(up_to(index, std::string_view::npos));
        if (!read) {
            return std::string(kUnreadable);
        }
    }
    std::string_view item = read ? std::string_view(*read) : up_to(index, kShownBytes + 1);
    if (item.size() <= kShownBytes) {
        return std::string(item);
    }
    std::size_t cut = kShownBytes;
    while (cut > 0 && (static_cast<unsigned char>(item[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return std::string(item.substr(0, cut)) + "\xE2\x80\xA6";
}

}  // namespace app
