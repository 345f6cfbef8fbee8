#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/records_file.h"
#include "platform/random_source.h"
#include "platform/text_encoding.h"

namespace app {

// The most passwords one batch may ask for: the index of the records and the drawn passwords
// must fit in memory.
constexpr std::uint64_t kMostPasswords = 100'000'000;

// Passwords for scripts, drawn by the window's rules.
struct BatchRequest {
    std::string length = "8";                // as it would be typed into the length box
    std::string classes = "ULDO";            // any of U, L, D, O: the ticked classes
    std::optional<std::string> custom_list;  // the window's "only the characters below"
    std::uint64_t count = 1;
    bool allow_repeats = false;
    bool every_class = false;  // each of the classes at least once
    bool no_look_alikes = false;
    std::string exclude{};  // never drawn
    // A site's rules, in the Password Rules language, instead of the classes or the list; the
    // length then is that of `length` only when `length_given`.
    std::optional<std::string> rules{};
    bool length_given = false;
    std::optional<std::string> site{};  // where the command line finds `rules`
    // Passphrases instead: this many words (as typed), drawn from `word_list`, joined by
    // `separator`.
    std::optional<std::string> words{};
    std::string separator = " ";
    std::vector<std::string> word_list{};
    std::optional<std::string> word_list_file{};  // where the command line reads the list
};

// Draws `count` passwords and prints them to `out`, one a line. Every one not yet on record is
// recorded, and on the disk, before it is printed. Without `allow_repeats` a password on record
// (or printed already) is drawn again, so `count` distinct new passwords come out. The records
// file is locked while a slice of up to 65,536 is checked and recorded, and let go while it is
// printed; it is asked through the same index as the window asks it, which sees what others did
// between the slices. A refusal, or output that cannot be written, is a
// message on `errors` and exit code 1; 0 otherwise.
int generate_batch(const BatchRequest& request, RecordsFile& records,
                   platform::RandomSource& random, const platform::TextEncoding& encoding,
                   std::ostream& out, std::ostream& errors);

// The passphrases of a batch, the same way; `generate_batch` hands a request for words here.
int generate_passphrases(const BatchRequest& request, RecordsFile& records,
                         platform::RandomSource& random, const platform::TextEncoding& encoding,
                         std::ostream& out, std::ostream& errors);

// Whether enough new passwords exist, given an upper bound on the records' lines and their form.
using EnoughLeft = std::function<bool(std::uint64_t most_lines, const RecordCodec& codec)>;

// Draws, checks and records `request.count` of what `draw` gives, after `enough` agreed that so
// many new ones exist; see `generate_batch`.
int draw_and_record(const BatchRequest& request, RecordsFile& records,
                    const std::function<std::string()>& draw, const EnoughLeft& enough,
                    std::ostream& out, std::ostream& errors);

// Reads the secure source in large blocks: one system call for many passwords.
class BufferedRandom : public platform::RandomSource {
  public:
    explicit BufferedRandom(platform::RandomSource& source) : source_(source) {}
    void fill(std::uint8_t* bytes, std::size_t count) override;

  private:
    platform::RandomSource& source_;
    std::uint8_t block_[4096] = {};
    std::size_t used_ = sizeof block_;
};

}  // namespace app
