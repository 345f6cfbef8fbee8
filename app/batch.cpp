#include "app/batch.h"

#include <cstring>
#include <deque>
#include <limits>
#include <set>

#include "app/generator.h"
#include "app/line_splitter.h"
#include "app/messages.h"
#include "app/text.h"

namespace app {

namespace {

// Printed and recorded in slices, so memory stays small for any count.
constexpr std::size_t kSlice = 8192;

bool pool_from(const BatchRequest& request, const platform::TextEncoding& encoding,
               std::string& pool, std::string& problem) {
    if (request.custom_list) {
        pool = custom_pool(*request.custom_list, encoding);
        return true;
    }
    PoolOptions options;
    options.upper = options.lower = options.number = options.other = false;
    for (char letter : request.classes) {
        switch (letter) {
            case 'U':
            case 'u':
                options.upper = true;
                break;
            case 'L':
            case 'l':
                options.lower = true;
                break;
            case 'D':
            case 'd':
                options.number = true;
                break;
            case 'O':
            case 'o':
                options.other = true;
                break;
            default:
                problem = std::string("Unknown character class '") + letter +
                          "': use U (upper case), L (lower case), D (digits) or O (others).";
                return false;
        }
    }
    pool = character_pool(options, {}, encoding);
    return true;
}

// How many different passwords of `length` characters the pool can give, up to a limit.
std::uint64_t possible_passwords(std::size_t distinct, int length, std::uint64_t limit) {
    std::uint64_t possible = 1;
    for (int i = 0; i < length && possible <= limit; ++i) {
        possible *= distinct;
    }
    return possible;
}

// A set of texts kept elsewhere, in one flat table: a million records are read in a blink,
// where a node per record would take most of a batch's time.
class LineSet {
  public:
    explicit LineSet(std::size_t expected) {
        std::size_t size = 16;
        while (size < expected * 2) {
            size *= 2;
        }
        slots_.resize(size);
    }

    bool contains(std::string_view line) const { return !slots_[find(line)].empty(); }

    void insert(std::string_view line) {
        std::string_view& slot = slots_[find(line)];
        if (slot.empty()) {
            slot = line;
            if (++count_ * 2 > slots_.size()) {
                grow();
            }
        }
    }

    std::size_t size() const { return count_; }

    template <class Visit>
    void for_each(Visit visit) const {
        for (auto line : slots_) {
            if (!line.empty()) {
                visit(line);
            }
        }
    }

  private:
    // The slot holding `line`, or the empty one where it would go. Empty lines are never kept.
    std::size_t find(std::string_view line) const {
        std::size_t mask = slots_.size() - 1;
        std::size_t at = std::hash<std::string_view>{}(line)&mask;
        while (!slots_[at].empty() && slots_[at] != line) {
            at = (at + 1) & mask;
        }
        return at;
    }

    void grow() {
        std::vector<std::string_view> old(slots_.size() * 2);
        old.swap(slots_);
        count_ = 0;
        for (auto line : old) {
            if (!line.empty()) {
                insert(line);
            }
        }
    }

    std::vector<std::string_view> slots_;
    std::size_t count_ = 0;
};

// Every line of the records file, as views into its text, with room for `more`.
LineSet lines_of(std::string_view text, std::uint64_t more) {
    LineSet lines(text.size() / 10 + more + 1);
    for_each_line(text, [&](std::string_view line, std::uint64_t start) {
        if (!line.empty()) {
            lines.insert(text.substr(start, line.size()));
        }
    });
    return lines;
}

// The recorded passwords that the pool could draw again at this length.
std::uint64_t drawable_on_record(const LineSet& recorded, const std::vector<std::string>& pool,
                                 int length) {
    std::set<std::string_view> characters(pool.begin(), pool.end());
    std::uint64_t count = 0;
    recorded.for_each([&](std::string_view line) {
        auto points = code_points(line);
        bool drawable = static_cast<int>(points.size()) == length;
        for (std::size_t i = 0; drawable && i < points.size(); ++i) {
            drawable = characters.count(points[i]) != 0;
        }
        count += drawable ? 1 : 0;
    });
    return count;
}

}  // namespace

void BufferedRandom::fill(std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        if (used_ == sizeof block_) {
            source_.fill(block_, sizeof block_);
            used_ = 0;
        }
        std::size_t take = std::min(count, sizeof block_ - used_);
        std::memcpy(bytes, block_ + used_, take);
        used_ += take;
        bytes += take;
        count -= take;
    }
}

int generate_batch(const BatchRequest& request, RecordsFile& records,
                   platform::RandomSource& random, const platform::TextEncoding& encoding,
                   std::ostream& out, std::ostream& errors) {
    std::string pool_text;
    std::string problem;
    if (!pool_from(request, encoding, pool_text, problem)) {
        errors << problem << '\n';
        return 1;
    }
    if (pool_text.empty()) {
        errors << kSelectChars << '\n';
        return 1;
    }
    LengthCheck length = check_length(request.length);
    if (length.result != LengthCheck::Valid) {
        errors << (length.result == LengthCheck::BelowMinimum ? kTooShort : kTooLong) << '\n';
        return 1;
    }
    const std::vector<std::string> pool = code_points(pool_text);

    try {
        auto appending = records.open_for_append();
        const std::string text = records.contents();
        LineSet recorded = lines_of(text, std::min<std::uint64_t>(request.count, 1u << 24));

        if (!request.allow_repeats) {
            // A pool too small for the count asked would draw for ever.
            std::set<std::string_view> distinct(pool.begin(), pool.end());
            std::uint64_t enough = request.count + recorded.size();
            std::uint64_t possible = possible_passwords(distinct.size(), length.length, enough);
            if (possible <= enough) {
                std::uint64_t taken = drawable_on_record(recorded, pool, length.length);
                std::uint64_t left = possible - std::min(possible, taken);
                if (left < request.count) {
                    errors << "Only " << left << " more passwords of " << length.length
                           << (length.length == 1 ? " character" : " characters")
                           << " can be drawn from these characters without "
                              "repeating one, but "
                           << request.count << " were asked for.\n";
                    return 1;
                }
            }
        }

        // New passwords stay in place, so the set may point into them.
        std::deque<std::string> drawn;
        std::string printed;
        std::string new_lines;
        for (std::uint64_t done = 0; done < request.count;) {
            printed.clear();
            new_lines.clear();
            for (std::size_t i = 0; i < kSlice && done < request.count;) {
                std::string password = draw_password(pool, length.length, random);
                bool on_record = recorded.contains(password);
                if (on_record && !request.allow_repeats) {
                    continue;
                }
                if (!on_record) {
                    drawn.push_back(std::move(password));
                    recorded.insert(drawn.back());
                    new_lines.append(drawn.back()).append(RecordsFile::kLineEnd);
                    printed.append(drawn.back()).append("\n");
                } else {
                    printed.append(password).append("\n");
                }
                ++i;
                ++done;
            }
            RecordsFile::append_lines(*appending, new_lines);
            out.write(printed.data(), static_cast<std::streamsize>(printed.size()));
        }
    } catch (const platform::FileError& error) {
        errors << kCantLoadFile << ' ' << error.what() << '\n';
        return 1;
    }
    out.flush();
    return out ? 0 : 1;
}

}  // namespace app
