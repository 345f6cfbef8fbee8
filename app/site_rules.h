#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/generator.h"
#include "platform/file_system.h"
#include "platform/random_source.h"
#include "platform/text_encoding.h"

namespace app {

// A site's rules for its passwords, read from the Password Rules language:
// "minlength: 8; maxlength: 63; required: lower; required: upper, digit; allowed: [-!#];".
struct SiteRule {
    std::string text;  // as written, for messages
    int min_length = 1;
    std::optional<int> max_length;
    int max_consecutive = 0;            // the most identical characters in a row; 0: any number
    std::vector<std::string> required;  // at least one character of each
    std::string allowed;                // also drawn from
};

// Names are read without regard to case and unknown ones are passed over; a rule that neither
// requires nor allows a class allows the printable ASCII characters. Returns nothing, with the
// reason in `problem`, for a rule that cannot be read.
std::optional<SiteRule> parse_site_rule(std::string_view text, std::string& problem);

// A rule made ready to draw from, at one length.
struct RulePlan {
    std::string message;            // why no password can be drawn; empty when one can
    std::vector<std::string> pool;  // every character that may be drawn, once each
    std::vector<std::vector<std::string>> required;
    int length = 0;
    int max_consecutive = 0;
    double bits = 0;  // the exact strength: log2 of the number of passwords that meet the rule

    bool meets(std::string_view password) const;
    // Uniform over the passwords that meet the rule: draws until one does.
    std::string draw(platform::RandomSource& random) const;
};

// Plans passwords by `rule` of `length` characters, or (without one) of the window's default 8
// brought within the rule's range. The characters come from the rule less those the options
// leave out (look-alikes, the excluded ones) and those a password never holds (the space, and
// what the records file's encoding cannot keep). Refused, with a message naming the rule, when no
// password of a length from 1 to 50 (or of `length`) meets it.
RulePlan plan_site_rule(const SiteRule& rule, std::optional<int> length, const PoolOptions& options,
                        const platform::TextEncoding& encoding);

// The sites' list (a JSON object from domain to {"password-rules": "...",
// "exact-domain-match-only": true}), by domain. Throws std::runtime_error if it cannot be read.
struct SiteEntry {
    std::string rules;
    bool exact_domain_only = false;
};
std::map<std::string, SiteEntry> parse_site_list(std::string_view json);
// The list read from its file, as it is stored (UTF-8); throws platform::FileError too.
std::map<std::string, SiteEntry> read_site_list(platform::FileSystem& files,
                                                const std::string& path);

// The list's file, beside the language files.
inline constexpr const char* kSiteListFile = "password-rules.json";

// The rule of `site` (a domain, or an address holding one): its own, or that of the nearest
// domain it lies under whose entry lets subdomains share it.
const SiteEntry* find_site(const std::map<std::string, SiteEntry>& sites, std::string_view site);

}  // namespace app
