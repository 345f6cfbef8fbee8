#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class ReadFile;
}

namespace app {

class RecordCodec;

// The items of a list box, kept as one text and where each item starts in it, so that ten million
// records cost little more than the file they came from.
class ListItems {
  public:
    // How much of an item a list shows; a record megabytes long stays whole in the file.
    static constexpr std::size_t kShownBytes = 1000;

    // What a row shows for a line that does not read back as a record.
    static constexpr std::string_view kUnreadable = "\xE2\x9A\xA0 okunamayan kay\xC4\xB1t";

    ListItems() = default;
    // Every line of `text` except the lines equal to `skipped`, the piece after the last line end
    // included. With `codec`, each line is read back through it as its row is asked for. A text of
    // 4 GiB or more is refused with std::length_error.
    static ListItems from_lines(std::string text, std::string_view skipped,
                                std::shared_ptr<const RecordCodec> codec = {});
    // The same from a file read in chunks from its current position, which keeps only where
    // each line starts and reads a row back from the file as it is asked for: for records read
    // through `codec`, whose lines are several times their passwords. A row that can no longer
    // be read is empty.
    static ListItems from_file(std::unique_ptr<platform::ReadFile> file, std::string_view skipped,
                               std::shared_ptr<const RecordCodec> codec);

    std::size_t size() const { return starts_ ? starts_->size() : 0; }
    bool empty() const { return size() == 0; }
    // The record; empty for a line that does not read back as one.
    std::string at(std::size_t index) const;
    // The item as a list shows it: beyond kShownBytes cut at a character and ended with "…".
    std::string shown(std::size_t index) const;

  private:
    // The item's line, at most `limit` bytes of it.
    std::string up_to(std::size_t index, std::size_t limit) const;

    struct Source {
        std::mutex reading;
        std::unique_ptr<platform::ReadFile> file;
        std::uint64_t size = 0;
    };

    // Copies share them, so handing the items to a view costs nothing.
    std::shared_ptr<const std::string> text_;
    std::shared_ptr<Source> source_;
    std::shared_ptr<const std::vector<std::uint32_t>> starts_;
    std::shared_ptr<const RecordCodec> codec_;
};

}  // namespace app
