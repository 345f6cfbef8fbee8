#include "app/site_rules.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>

#include "app/generator.h"
#include "app/text.h"

namespace app {

namespace {

std::string lower_ascii(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lowered;
}

std::string ascii_range(char first, char last) {
    std::string characters;
    for (char c = first; c <= last; ++c) {
        characters += c;
    }
    return characters;
}

std::optional<std::string> named_class(std::string_view name) {
    if (name == "upper") {
        return ascii_range('A', 'Z');
    }
    if (name == "lower") {
        return ascii_range('a', 'z');
    }
    if (name == "digit") {
        return ascii_range('0', '9');
    }
    if (name == "special") {
        return ascii_range(' ', '/') + ascii_range(':', '@') + ascii_range('[', '`') +
               ascii_range('{', '~');
    }
    // Any Unicode character would do for such a site; the printable ASCII ones are those every
    // keyboard can type.
    if (name == "ascii-printable" || name == "unicode") {
        return ascii_range(' ', '~');
    }
    return std::nullopt;
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Reads the rule's text one property at a time.
class RuleReader {
  public:
    explicit RuleReader(std::string_view text) : text_(text) {}

    bool at_end() {
        skip_blanks();
        return at_ >= text_.size();
    }

    // The name up to its colon (or up to the semicolon of a property without a value).
    std::string name(bool& has_value) {
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] != ':' && text_[at_] != ';') {
            ++at_;
        }
        has_value = at_ < text_.size() && text_[at_] == ':';
        std::string_view name = text_.substr(start, at_ - start);
        ++at_;
        while (!name.empty() && blank(name.back())) {
            name.remove_suffix(1);
        }
        return lower_ascii(name);
    }

    // The classes of a value, each as its characters, up to the property's end.
    bool classes(std::vector<std::string>& found, std::string& problem) {
        for (;;) {
            skip_blanks();
            if (at_ < text_.size() && text_[at_] == '[') {
                std::string set;
                if (!custom_set(set, problem)) {
                    return false;
                }
                found.push_back(set);
            } else {
                const std::size_t start = at_;
                while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != ';' &&
                       !blank(text_[at_])) {
                    ++at_;
                }
                const std::string name = lower_ascii(text_.substr(start, at_ - start));
                auto characters = named_class(name);
                if (!characters) {
                    problem = name.empty() ? "a class is missing"
                                           : "'" + name + "' is not a class of characters";
                    return false;
                }
                found.push_back(*characters);
            }
            skip_blanks();
            if (at_ >= text_.size() || text_[at_] == ';') {
                ++at_;
                return true;
            }
            if (text_[at_] != ',') {
                problem = "the classes must be separated by commas";
                return false;
            }
            ++at_;
        }
    }

    // The value as written, up to the property's end, for the numbers and the unknown names.
    std::string raw_value() {
        const std::size_t start = at_;
        bool in_set = false;
        while (at_ < text_.size() && (in_set || text_[at_] != ';')) {
            in_set = text_[at_] == '[' ? true : text_[at_] == ']' ? false : in_set;
            ++at_;
        }
        std::string_view value = text_.substr(start, at_ - start);
        ++at_;
        while (!value.empty() && blank(value.front())) {
            value.remove_prefix(1);
        }
        while (!value.empty() && blank(value.back())) {
            value.remove_suffix(1);
        }
        return std::string(value);
    }

  private:
    void skip_blanks() {
        while (at_ < text_.size() && blank(text_[at_])) {
            ++at_;
        }
    }

    // "[...]": every character stands for itself. A ']' first, or right before another ']', is
    // one of the set's.
    bool custom_set(std::string& set, std::string& problem) {
        ++at_;
        const std::size_t start = at_;
        for (; at_ < text_.size(); ++at_) {
            const bool closes = text_[at_] == ']' && at_ > start &&
                                !(at_ + 1 < text_.size() && text_[at_ + 1] == ']');
            if (closes) {
                set = std::string(text_.substr(start, at_ - start));
                ++at_;
                return true;
            }
        }
        problem = "a '[' is not closed by ']'";
        return false;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

bool whole_number(const std::string& text, int& number) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != text.npos) {
        return false;
    }
    number = std::stoi(text);
    return true;
}

}  // namespace

std::optional<SiteRule> parse_site_rule(std::string_view text, std::string& problem) {
    SiteRule rule;
    rule.text = std::string(text);
    RuleReader reader(text);
    bool allows = false;
    while (!reader.at_end()) {
        bool has_value = false;
        const std::string name = reader.name(has_value);
        if (!has_value) {
            continue;
        }
        if (name == "required" || name == "allowed") {
            std::vector<std::string> classes;
            if (!reader.classes(classes, problem)) {
                problem = name + ": " + problem;
                return std::nullopt;
            }
            std::string joined;
            for (const auto& characters : classes) {
                joined += characters;
            }
            if (name == "required") {
                rule.required.push_back(joined);
            } else {
                rule.allowed += joined;
                allows = true;
            }
            continue;
        }
        const std::string value = reader.raw_value();
        int number = 0;
        if (name == "minlength" || name == "maxlength" || name == "max-consecutive") {
            if (!whole_number(value, number)) {
                problem = name + " wants a whole number, not '" + value + "'";
                return std::nullopt;
            }
            if (name == "minlength") {
                rule.min_length = std::max(number, 1);
            } else if (name == "maxlength") {
                rule.max_length = number;
            } else {
                rule.max_consecutive = number;
            }
        }
    }
    if (rule.required.empty() && !allows) {
        rule.allowed = *named_class("ascii-printable");
    }
    return rule;
}

namespace {

// Passwords of `length` characters from `size` characters with no more than `run` alike in a
// row (any number when `run` is 0), counted by the runs they are made of.
long double without_long_runs(std::size_t size, int length, int run) {
    const auto m = static_cast<long double>(size);
    if (run == 0 || run >= length) {
        return std::pow(m, static_cast<long double>(length));
    }
    std::vector<long double> count(static_cast<std::size_t>(length) + 1, 0);
    count[0] = 1;
    for (int n = 1; n <= length; ++n) {
        for (int last = 1; last <= std::min(run, n); ++last) {
            count[static_cast<std::size_t>(n)] +=
                count[static_cast<std::size_t>(n - last)] * (n == last ? m : m - 1);
        }
    }
    return count[static_cast<std::size_t>(length)];
}

// The passwords that meet the plan: by inclusion and exclusion over the requirements missed.
long double passwords_meeting(const RulePlan& plan) {
    const std::size_t needs = plan.required.size();
    long double count = 0;
    for (std::size_t missed = 0; missed < (std::size_t{1} << needs); ++missed) {
        std::size_t left = 0;
        for (const auto& point : plan.pool) {
            bool in_missed = false;
            for (std::size_t i = 0; i < needs && !in_missed; ++i) {
                const auto& set = plan.required[i];
                in_missed = (missed >> i & 1) && std::binary_search(set.begin(), set.end(), point);
            }
            left += in_missed ? 0 : 1;
        }
        const long double term = without_long_runs(left, plan.length, plan.max_consecutive);
        count += std::popcount(missed) % 2 == 0 ? term : -term;
    }
    return count;
}

}  // namespace

bool RulePlan::meets(std::string_view password) const {
    const auto points = code_points(password);
    for (const auto& set : required) {
        if (std::none_of(points.begin(), points.end(), [&](const std::string& point) {
                return std::binary_search(set.begin(), set.end(), point);
            })) {
            return false;
        }
    }
    int run = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        run = i > 0 && points[i] == points[i - 1] ? run + 1 : 1;
        if (max_consecutive > 0 && run > max_consecutive) {
            return false;
        }
    }
    return true;
}

std::string RulePlan::draw(platform::RandomSource& random) const {
    // Every password of the pool is equally likely, and so are those kept.
    for (;;) {
        std::string password = draw_password(pool, length, random);
        if (meets(password)) {
            return password;
        }
    }
}

RulePlan plan_site_rule(const SiteRule& rule, std::optional<int> length, const PoolOptions& options,
                        const platform::TextEncoding& encoding) {
    RulePlan plan;
    const std::string named = "The rule \"" + rule.text + "\"";
    auto usable = [&](std::string_view characters) {
        std::vector<std::string> kept;
        for (auto& point : code_points(characters)) {
            const bool left_out =
                point == " " || !pool_character(first_code_point(point), encoding) ||
                (options.no_look_alikes && kLookAlikes.find(point) != std::string_view::npos) ||
                options.exclude.find(point) != std::string::npos;
            if (!left_out) {
                kept.push_back(std::move(point));
            }
        }
        std::sort(kept.begin(), kept.end());
        kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
        return kept;
    };
    std::string every = rule.allowed;
    for (const auto& set : rule.required) {
        every += set;
        plan.required.push_back(usable(set));
        if (plan.required.back().empty()) {
            plan.message = named + " requires one of \"" + set +
                           "\", and every one of those characters is left out.";
            return plan;
        }
    }
    if (plan.required.size() > 16) {
        plan.message = named + " has more requirements than a password can be checked against.";
        return plan;
    }
    plan.pool = usable(every);
    plan.max_consecutive = rule.max_consecutive;
    const int lowest = std::max(rule.min_length, kMinimumLength);
    const int highest = std::min(rule.max_length.value_or(kMaximumLength), kMaximumLength);
    if (length && (*length < rule.min_length || *length > rule.max_length.value_or(*length))) {
        plan.message =
            named + " does not allow passwords of " + std::to_string(*length) + " characters.";
        return plan;
    }
    int from = length.value_or(std::clamp(8, lowest, std::max(lowest, highest)));
    int to = length.value_or(highest);
    for (plan.length = from; plan.length <= to && !plan.pool.empty(); ++plan.length) {
        const long double count = passwords_meeting(plan);
        if (count >= 0.5L) {
            plan.bits = static_cast<double>(std::log2(count));
            return plan;
        }
    }
    plan.message =
        named + " cannot be met by any password of " +
        (length ? std::to_string(*length)
                : std::to_string(kMinimumLength) + " to " + std::to_string(kMaximumLength)) +
        " characters.";
    return plan;
}

namespace {

// Reads the sites' list: an object whose values are objects of strings and true or false.
class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    std::map<std::string, SiteEntry> sites() {
        std::map<std::string, SiteEntry> sites;
        expect('{');
        if (!next_is('}')) {
            do {
                std::string domain = lower_ascii(string());
                expect(':');
                sites[domain] = entry();
            } while (next_is(','));
            expect('}');
        }
        skip_blanks();
        if (at_ != text_.size()) {
            fail("text after the list");
        }
        return sites;
    }

  private:
    SiteEntry entry() {
        SiteEntry found;
        expect('{');
        if (!next_is('}')) {
            do {
                const std::string key = string();
                expect(':');
                skip_blanks();
                if (key == "password-rules") {
                    found.rules = string();
                } else if (key == "exact-domain-match-only") {
                    found.exact_domain_only = literal();
                } else if (peek() == '"') {
                    string();
                } else {
                    literal();
                }
            } while (next_is(','));
            expect('}');
        }
        return found;
    }

    bool literal() {
        skip_blanks();
        for (std::string_view word : {"true", "false", "null"}) {
            if (text_.substr(at_, word.size()) == word) {
                at_ += word.size();
                return word == "true";
            }
        }
        fail("a value that is not a string, true or false");
    }

    std::string string() {
        expect('"');
        std::string value;
        while (at_ < text_.size() && text_[at_] != '"') {
            char c = text_[at_++];
            if (static_cast<unsigned char>(c) < 0x20) {
                fail("a control character in a string");
            }
            if (c != '\\') {
                value += c;
                continue;
            }
            if (at_ >= text_.size()) {
                break;
            }
            c = text_[at_++];
            switch (c) {
                case 'n':
                    value += '\n';
                    break;
                case 't':
                    value += '\t';
                    break;
                case 'r':
                    value += '\r';
                    break;
                case 'b':
                    value += '\b';
                    break;
                case 'f':
                    value += '\f';
                    break;
                case 'u':
                    value += to_utf8(escaped_code());
                    break;
                default:
                    value += c;  // \" \\ \/
            }
        }
        expect('"');
        return value;
    }

    char32_t escaped_code() {
        char32_t code = hex4();
        if (code >= 0xD800 && code <= 0xDBFF && text_.substr(at_, 2) == "\\u") {
            at_ += 2;
            const char32_t low = hex4();
            if (low < 0xDC00 || low > 0xDFFF) {
                fail("a broken surrogate pair");
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        return code >= 0xD800 && code <= 0xDFFF ? 0xFFFD : code;
    }

    char32_t hex4() {
        char32_t code = 0;
        for (int i = 0; i < 4; ++i, ++at_) {
            const char c = at_ < text_.size() ? text_[at_] : '\0';
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) {
                fail("a \\u escape without four hexadecimal digits");
            }
            code = code * 16 + static_cast<char32_t>(digit);
        }
        return code;
    }

    void skip_blanks() {
        while (at_ < text_.size() && blank(text_[at_])) {
            ++at_;
        }
    }
    char peek() {
        skip_blanks();
        return at_ < text_.size() ? text_[at_] : '\0';
    }
    bool next_is(char c) {
        if (peek() == c) {
            ++at_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!next_is(c)) {
            fail(std::string("'") + c + "' expected");
        }
    }
    [[noreturn]] void fail(const std::string& what) {
        throw std::runtime_error("The sites' list cannot be read: " + what + " at byte " +
                                 std::to_string(at_) + ".");
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::map<std::string, SiteEntry> parse_site_list(std::string_view json) {
    return JsonReader(json).sites();
}

std::map<std::string, SiteEntry> read_site_list(platform::FileSystem& files,
                                                const std::string& path) {
    auto reading = files.open_as_stored(path);
    return parse_site_list(platform::read_to_end(*reading));
}

const SiteEntry* find_site(const std::map<std::string, SiteEntry>& sites, std::string_view site) {
    std::string domain = lower_ascii(site);
    if (auto scheme = domain.find("://"); scheme != domain.npos) {
        domain.erase(0, scheme + 3);
    }
    domain = domain.substr(0, domain.find_first_of("/?#:"));
    while (!domain.empty() && domain.back() == '.') {
        domain.pop_back();
    }
    for (std::string under = domain; !under.empty();) {
        if (auto found = sites.find(under); found != sites.end()) {
            if (under == domain || !found->second.exact_domain_only) {
                return &found->second;
            }
        }
        const auto dot = under.find('.');
        under = dot == under.npos ? std::string() : under.substr(dot + 1);
    }
    return nullptr;
}

}  // namespace app
