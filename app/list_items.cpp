#include "app/list_items.h"

#include <limits>
#include <stdexcept>

#include "app/line_splitter.h"
#include "app/record_codec.h"
#include "platform/file_system.h"

namespace app {

namespace {

constexpr std::size_t kMostBytes = std::numeric_limits<std::uint32_t>::max();

// Where each line not equal to `skipped` starts.
class Starts {
  public:
    explicit Starts(std::string_view skipped) : skipped_(skipped) {}
    void operator()(std::string_view line, std::uint64_t start) {
        // Passwords often have the skipped line's length; the first byte settles most of them
        // without a call to compare the rest.
        if (line.size() != skipped_.size() || (!line.empty() && line[0] != skipped_[0]) ||
            line != skipped_) {
            starts->push_back(static_cast<std::uint32_t>(start));
        }
    }
    std::shared_ptr<std::vector<std::uint32_t>> starts =
        std::make_shared<std::vector<std::uint32_t>>();

  private:
    std::string_view skipped_;
};

}  // namespace

ListItems ListItems::from_lines(std::string text, std::string_view skipped,
                                std::shared_ptr<const RecordCodec> codec) {
    if (text.size() > kMostBytes) {
        throw std::length_error("The list is too large to show.");
    }
    auto shared = std::make_shared<const std::string>(std::move(text));
    Starts starts(skipped);
    for_each_line(*shared, starts);
    ListItems items;
    items.text_ = std::move(shared);
    items.starts_ = std::move(starts.starts);
    items.codec_ = std::move(codec);
    return items;
}

ListItems ListItems::from_file(std::unique_ptr<platform::ReadFile> file, std::string_view skipped,
                               std::shared_ptr<const RecordCodec> codec) {
    Starts starts(skipped);
    LineSplitter splitter;
    std::string chunk(1 << 20, '\0');
    while (std::size_t got = file->read(chunk.data(), chunk.size())) {
        if (splitter.position() + got > kMostBytes) {
            throw std::length_error("The list is too large to show.");
        }
        splitter.feed(std::string_view(chunk.data(), got), starts);
    }
    splitter.finish(starts);
    ListItems items;
    items.source_ = std::make_shared<Source>();
    items.source_->file = std::move(file);
    items.source_->size = splitter.position();
    items.starts_ = std::move(starts.starts);
    items.codec_ = std::move(codec);
    return items;
}

std::string ListItems::up_to(std::size_t index, std::size_t limit) const {
    if (!starts_) {
        throw std::out_of_range("The list is empty.");
    }
    const std::uint64_t start = starts_->at(index);
    if (text_) {
        const std::string_view rest = std::string_view(*text_).substr(start).substr(0, limit);
        return std::string(rest.substr(0, rest.find_first_of("\r\n")));
    }
    // The next row starts after this line's end; the last line ends with the file.
    const std::uint64_t end = index + 1 < starts_->size() ? (*starts_)[index + 1] : source_->size;
    std::string line(static_cast<std::size_t>(std::min<std::uint64_t>(end - start, limit)), '\0');
    std::size_t used = 0;
    std::lock_guard<std::mutex> lock(source_->reading);
    try {
        source_->file->seek(start);
        while (std::size_t got = source_->file->read(line.data() + used, line.size() - used)) {
            used += got;
            if (used == line.size()) {
                break;
            }
        }
    } catch (const platform::FileError&) {
        used = 0;
    }
    line.resize(used);
    line.resize(std::min(line.size(), line.find_first_of("\r\n")));
    return line;
}

std::string ListItems::at(std::size_t index) const {
    std::string line = up_to(index, std::string_view::npos);
    if (!codec_) {
        return line;
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
    const std::string item = read ? std::move(*read) : up_to(index, kShownBytes + 1);
    if (item.size() <= kShownBytes) {
        return item;
    }
    std::size_t cut = kShownBytes;
    while (cut > 0 && (static_cast<unsigned char>(item[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return item.substr(0, cut) + "\xE2\x80\xA6";
}

}  // namespace app
