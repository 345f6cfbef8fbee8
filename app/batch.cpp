#include "app/batch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <unordered_set>

#include "app/generator.h"
#include "app/messages.h"
#include "app/password_rules.h"
#include "app/site_rules.h"
#include "app/strength.h"
#include "app/text.h"
#include "app/words.h"

namespace app {

namespace {

// Printed and recorded in slices, so memory stays small for any count.
constexpr std::uint64_t kSlice = 65536;
// Up to this many passwords are looked for in one read of the records file.
constexpr std::uint64_t kLookedForInOneRead = 65536;

// The request as the window's rules read it.
bool rules_from(const BatchRequest& request, PasswordRules& rules, std::string& problem) {
    rules.pool.no_look_alikes = request.no_look_alikes;
    rules.pool.every_class = request.every_class;
    rules.pool.exclude = request.exclude;
    rules.length = request.length;
    if (request.custom_list) {
        rules.pool.from_classes = false;
        rules.custom_list = *request.custom_list;
        return true;
    }
    rules.pool.ticked.fill(false);
    for (char letter : request.classes) {
        auto index = class_of_letter(letter);
        if (!index) {
            problem = std::string("Unknown character class '") + letter + "': use " +
                      class_list(true) + ".";
            return false;
        }
        rules.pool.ticked[*index] = true;
    }
    return true;
}

std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

// How many different passwords of `length` characters `distinct` characters give, or `limit` + 1
// when that is more than `limit`.
std::uint64_t possible_passwords(std::uint64_t distinct, int length, std::uint64_t limit) {
    std::uint64_t possible = 1;
    for (int i = 0; i < length; ++i) {
        if (distinct != 0 && possible > limit / distinct) {
            return limit + 1;
        }
        possible *= distinct;
    }
    return possible;
}

// How many passwords of `length` characters hold every one of the classes, or `limit` + 1 when
// that is more than `limit`; by inclusion-exclusion, each term exact while it is at most `limit`.
std::uint64_t possible_with_every_class(const std::vector<std::string>& classes, int length,
                                        std::uint64_t limit) {
    std::vector<std::size_t> sizes;
    std::uint64_t pool = 0;
    for (const auto& characters : classes) {
        sizes.push_back(code_points(characters).size());
        pool += sizes.back();
    }
    if (std::exp2(every_class_bits(sizes, length)) > 2.0 * static_cast<double>(limit)) {
        return limit + 1;
    }
    // Below twice the limit the whole pool's count is a few dozen times that at most.
    constexpr std::uint64_t kExact = std::uint64_t{1} << 62;
    std::int64_t count = 0;
    for (std::size_t subset = 0; subset < (std::size_t{1} << sizes.size()); ++subset) {
        std::uint64_t left = pool;
        int sign = 1;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            if (subset >> i & 1) {
                left -= sizes[i];
                sign = -sign;
            }
        }
        const std::uint64_t term = possible_passwords(left, length, kExact);
        if (term > kExact) {
            return limit + 1;
        }
        count += sign * static_cast<std::int64_t>(term);
    }
    return std::min(static_cast<std::uint64_t>(count), limit + 1);
}

// The different passwords on record that the pool could draw again at this length (holding every
// one of `classes`): each is a number below `possible` in base `characters.size()`, ticked off in
// a bitmap once.
std::uint64_t drawable_on_record(RecordsFile& records, const RecordCodec& codec,
                                 const std::vector<std::string>& characters,
                                 const std::vector<std::string>& classes, int length,
                                 std::uint64_t possible) {
    std::vector<bool> seen(static_cast<std::size_t>(possible));
    std::uint64_t count = 0;
    records.for_each_password(codec, [&](std::string_view line) {
        auto points = code_points(line);
        if (static_cast<int>(points.size()) != length || !has_every_class(line, classes)) {
            return;
        }
        std::uint64_t number = 0;
        for (const auto& point : points) {
            auto at = std::lower_bound(characters.begin(), characters.end(), point);
            if (at == characters.end() || *at != point) {
                return;
            }
            number =
                number * characters.size() + static_cast<std::uint64_t>(at - characters.begin());
        }
        if (!seen[static_cast<std::size_t>(number)]) {
            seen[static_cast<std::size_t>(number)] = true;
            ++count;
        }
    });
    return count;
}

// Refuses a count the pool cannot give without repeats, which would otherwise draw for ever.
// `most_lines` is at least the number of lines the file holds.
bool enough_left(const BatchRequest& request, RecordsFile& records, const RecordCodec& codec,
                 std::uint64_t most_lines, const std::vector<std::string>& pool,
                 const std::vector<std::string>& classes, int length, std::ostream& errors) {
    std::vector<std::string> characters(pool);
    std::sort(characters.begin(), characters.end());
    characters.erase(std::unique(characters.begin(), characters.end()), characters.end());
    const std::uint64_t enough = saturating_add(request.count, most_lines);
    const std::uint64_t possible = classes.empty()
                                       ? possible_passwords(characters.size(), length, enough)
                                       : possible_with_every_class(classes, length, enough);
    if (possible > enough) {
        return true;
    }
    // The bitmap spans every password of the pool, of which those with every class are a few
    // per cent at least.
    const std::uint64_t space = possible_passwords(characters.size(), length, enough * 32);
    if (space > enough * 32) {
        return true;
    }
    const std::uint64_t left =
        possible - drawable_on_record(records, codec, characters, classes, length, space);
    if (left >= request.count) {
        return true;
    }
    errors << "Only " << left << " of the " << request.count
           << " asked for can be drawn without repeating a password on record (" << length
           << (length == 1 ? " character" : " characters") << " from these characters).\n";
    return false;
}

// The same for passphrases, when the list and the number of words give few enough of them to be
// listed (four million word sequences): a larger batch from so few is not checked.
bool enough_passphrases_left(const BatchRequest& request, RecordsFile& records,
                             const RecordCodec& codec, std::uint64_t most_lines, int words,
                             std::ostream& errors) {
    const std::uint64_t enough = saturating_add(request.count, most_lines);
    const auto all = every_passphrase(request.word_list, words, request.separator,
                                      std::min<std::uint64_t>(enough, 1 << 22));
    if (all.empty() || all.size() > enough) {
        return true;
    }
    std::unordered_set<std::string> not_on_record(all.begin(), all.end());
    records.for_each_password(
        codec, [&](std::string_view line) { not_on_record.erase(std::string(line)); });
    if (not_on_record.size() >= request.count) {
        return true;
    }
    errors << "Only " << not_on_record.size() << " of the " << request.count
           << " asked for can be drawn without repeating a passphrase on record.\n";
    return false;
}

// The same for a site's rule, when it allows few enough passwords to count those on record.
bool enough_by_rule_left(const BatchRequest& request, RecordsFile& records,
                         const RecordCodec& codec, std::uint64_t most_lines, const RulePlan& plan,
                         std::ostream& errors) {
    const std::uint64_t enough = saturating_add(request.count, most_lines);
    if (plan.bits > std::log2(static_cast<double>(enough)) + 1) {
        return true;
    }
    const auto possible = static_cast<std::uint64_t>(std::llround(std::exp2(plan.bits)));
    std::unordered_set<std::string> on_record;
    records.for_each_password(codec, [&](std::string_view line) {
        auto points = code_points(line);
        const bool drawable =
            static_cast<int>(points.size()) == plan.length &&
            std::all_of(points.begin(), points.end(), [&](const std::string& point) {
                return std::binary_search(plan.pool.begin(), plan.pool.end(), point);
            });
        if (drawable && plan.meets(line)) {
            on_record.emplace(line);
        }
    });
    const std::uint64_t left = possible - std::min<std::uint64_t>(possible, on_record.size());
    if (left >= request.count) {
        return true;
    }
    errors << "Only " << left << " of the " << request.count
           << " asked for can be drawn by this rule without repeating a password on record.\n";
    return false;
}

int generate_by_rule(const BatchRequest& request, RecordsFile& records,
                     platform::RandomSource& random, const platform::TextEncoding& encoding,
                     std::ostream& out, std::ostream& errors) {
    std::string problem;
    const auto rule = parse_site_rule(*request.rules, problem);
    if (!rule) {
        errors << "The rule \"" << *request.rules << "\" cannot be read: " << problem << ".\n";
        return 1;
    }
    std::optional<int> length;
    if (request.length_given) {
        const LengthCheck check = check_length(request.length);
        if (check.result != LengthCheck::Valid) {
            errors << (check.result == LengthCheck::BelowMinimum ? kTooShort : kTooLong) << '\n';
            return 1;
        }
        length = check.length;
    }
    PoolOptions options;
    options.no_look_alikes = request.no_look_alikes;
    options.exclude = request.exclude;
    const RulePlan plan = plan_site_rule(*rule, length, options, encoding);
    if (!plan.message.empty()) {
        errors << plan.message << '\n';
        return 1;
    }
    auto draw = [&] { return plan.draw(random); };
    auto enough = [&](std::uint64_t most_lines, const RecordCodec& codec) {
        return enough_by_rule_left(request, records, codec, most_lines, plan, errors);
    };
    return draw_and_record(request, records, draw, enough, out, errors);
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
    if (request.words) {
        return generate_passphrases(request, records, random, encoding, out, errors);
    }
    if (request.rules) {
        return generate_by_rule(request, records, random, encoding, out, errors);
    }
    PasswordRules rules;
    std::string problem;
    if (!rules_from(request, rules, problem)) {
        errors << problem << '\n';
        return 1;
    }
    const PasswordPlan plan = rules.validate(encoding);
    if (!plan.drawable()) {
        errors << plan.message << '\n';
        return 1;
    }
    auto draw = [&] { return plan.draw(random); };
    auto enough = [&](std::uint64_t most_lines, const RecordCodec& codec) {
        return enough_left(request, records, codec, most_lines, plan.points, plan.classes,
                           plan.length, errors);
    };
    return draw_and_record(request, records, draw, enough, out, errors);
}

int generate_passphrases(const BatchRequest& request, RecordsFile& records,
                         platform::RandomSource& random, const platform::TextEncoding& encoding,
                         std::ostream& out, std::ostream& errors) {
    const int words = check_word_count(*request.words);
    const std::string refusal =
        words == 0 ? std::string(kWordCount)
                   : separator_refusal(request.separator, encoding, code_point_name);
    if (!refusal.empty() || request.word_list.size() < 2) {
        errors << (refusal.empty() ? kShortWordList : refusal) << '\n';
        return 1;
    }
    auto draw = [&] {
        return draw_passphrase(request.word_list, words, request.separator, random);
    };
    auto enough = [&](std::uint64_t most_lines, const RecordCodec& codec) {
        return enough_passphrases_left(request, records, codec, most_lines, words, errors);
    };
    return draw_and_record(request, records, draw, enough, out, errors);
}

int draw_and_record(const BatchRequest& request, RecordsFile& records,
                    const std::function<std::string()>& draw, const EnoughLeft& enough,
                    std::ostream& out, std::ostream& errors) {
    if (request.count > kMostPasswords) {
        errors << "At most " << kMostPasswords << " passwords can be asked for at once.\n";
        return 1;
    }
    try {
        // A few passwords are looked for in one read of the file, which costs next to no
        // memory; many are looked up in an index of the whole file, built once and followed.
        const bool few = request.count <= kLookedForInOneRead;
        const std::uint64_t slice = few ? request.count : kSlice;
        std::optional<RecordsIndex> index;
        // Only the passwords of the slice being drawn are held here; those before it are on
        // record, and the index finds them there.
        std::vector<std::string> drawn;
        std::vector<bool> on_record;
        std::unordered_set<std::string> fresh;
        std::string printed;
        std::vector<std::string> new_passwords;
        for (std::uint64_t done = 0; done < request.count; done += drawn.size()) {
            const auto size = static_cast<std::size_t>(std::min(slice, request.count - done));
            drawn.assign(size, {});
            on_record.assign(size, false);
            fresh.clear();
            std::vector<std::size_t> unchecked(size);
            for (std::size_t k = 0; k < size; ++k) {
                drawn[k] = draw();
                unchecked[k] = k;
            }
            // The lock is held while the slice is checked and recorded, and let go before it
            // is printed: a reader that is slow to take the output holds up nobody else.
            auto appending = records.open_for_append();
            const RecordsFile::Codec codec = records.codec(*appending);
            LockedReader reader(*appending);
            if (done == 0 && !request.allow_repeats && !enough(appending->stamp().size, *codec)) {
                return 1;
            }
            if (!few && (!index || !index->up_to_date(reader))) {
                // The first slice, or another program changed the file since the last.
                index = RecordsFile::index(*appending, request.count - done);
            }
            // A password on record is drawn again, and the new one looked up in turn.
            while (!unchecked.empty()) {
                if (few) {
                    std::vector<std::string> stored;
                    for (std::size_t k : unchecked) {
                        stored.push_back(records.stored(*codec, drawn[k]));
                    }
                    index = RecordsFile::index(*appending, 0,
                                               std::make_shared<RecordsIndex::Only>(stored));
                }
                std::vector<std::size_t> again;
                for (std::size_t k : unchecked) {
                    const bool on = fresh.count(drawn[k]) != 0 ||
                                    index->contains(records.stored(*codec, drawn[k]), reader);
                    if (on && !request.allow_repeats) {
                        drawn[k] = draw();
                        again.push_back(k);
                        continue;
                    }
                    on_record[k] = on;
                    if (!on) {
                        fresh.insert(drawn[k]);
                    }
                }
                unchecked.swap(again);
            }
            printed.clear();
            new_passwords.clear();
            for (std::size_t k = 0; k < size; ++k) {
                if (!on_record[k]) {
                    new_passwords.push_back(drawn[k]);
                }
                printed.append(drawn[k]).append("\n");
            }
            // On the disk before anyone sees them.
            RecordsFile::append_all(*appending, *codec, new_passwords, few ? nullptr : &*index);
            appending.reset();
            if (!out.write(printed.data(), static_cast<std::streamsize>(printed.size()))) {
                break;
            }
        }
    } catch (const platform::FileError& error) {
        errors << kCantLoadFile << ' ' << error.what() << '\n';
        return 1;
    } catch (const RecordsKeyError& error) {
        errors << error.what() << '\n';
        return 1;
    }
    if (!out.flush()) {
        errors << "The passwords could not be written out (the output is closed or full); "
                  "those drawn are on record all the same.\n";
        return 1;
    }
    return 0;
}

}  // namespace app
