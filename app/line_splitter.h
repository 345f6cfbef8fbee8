#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace app {

// Splits text given in chunks into lines. CR LF, a lone CR and a lone LF each end a line, so
// files edited on any system read the same. `line(piece, start)` receives each line without its
// end and the line's offset in the whole text; the piece is valid during the call only.
class LineSplitter {
  public:
    template <typename Line>
    void feed(std::string_view chunk, Line&& line) {
        std::size_t i = 0;
        if (lf_may_follow_ && !chunk.empty()) {
            lf_may_follow_ = false;
            if (chunk[0] == '\n') {
                i = 1;
                ++line_start_;
            }
        }
        std::size_t start = i;
        const std::size_t size = chunk.size();
        while (i < size) {
            // Eight bytes at a time while none of them is below 14, so none can end a line.
            while (i + 8 <= size) {
                std::uint64_t word;
                std::memcpy(&word, chunk.data() + i, sizeof word);
                if (((word - 0x0E0E0E0E0E0E0E0Eull) & ~word & 0x8080808080808080ull) != 0) {
                    break;
                }
                i += 8;
            }
            if (i == size) {
                break;
            }
            const char c = chunk[i];
            if (c > '\r' || (c != '\r' && c != '\n')) {
                ++i;
                continue;
            }
            std::string_view piece = chunk.substr(start, i - start);
            if (carry_.empty()) {
                line(piece, line_start_);
            } else {
                carry_.append(piece);
                line(std::string_view(carry_), line_start_);
                carry_.clear();
            }
            std::size_t end_length = 1;
            if (c == '\r') {
                if (i + 1 < size) {
                    end_length = chunk[i + 1] == '\n' ? 2 : 1;
                } else {
                    lf_may_follow_ = true;
                }
            }
            line_start_ = position_ + i + end_length;
            i += end_length;
            start = i;
        }
        carry_.append(chunk.substr(start));
        position_ += size;
    }

    // The piece after the last line end: empty when the text ends with a line end.
    template <typename Line>
    void finish(Line&& line) {
        line(std::string_view(carry_), line_start_);
        carry_.clear();
    }

    // The line not yet ended, held until its end arrives.
    std::string_view unfinished() const { return carry_; }
    std::uint64_t position() const { return position_; }

  private:
    std::string carry_;
    std::uint64_t position_ = 0;
    std::uint64_t line_start_ = 0;
    bool lf_may_follow_ = false;
};

// Calls `line(piece, start)` for every line of a whole text, the piece after its last line end
// included.
template <typename Line>
void for_each_line(std::string_view text, Line&& line) {
    LineSplitter splitter;
    splitter.feed(text, line);
    splitter.finish(line);
}

}  // namespace app
