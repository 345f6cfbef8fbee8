#include "program/command_line.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "app/char_classes.h"
#include "app/file_places.h"
#include "app/generator.h"
#include "app/messages.h"
#include "app/private_records.h"
#include "app/site_rules.h"
#include "app/text.h"
#include "app/words.h"

namespace program {
namespace {

struct Option {
    std::string_view short_name;
    std::string_view long_name;
    std::string_view value_name;  // empty: the option takes no value
    std::string_view help;
    // Why the value cannot be used; empty when it can.
    std::string (*apply)(CommandLine& line, std::string_view value);
    bool for_scripts = false;  // only together with --generate
};

std::string wants(std::string_view value, std::string_view what) {
    return "does not take '" + std::string(value) + "'; it wants " + std::string(what);
}

std::string parse_count(std::string_view text, std::uint64_t& count) {
    auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), count);
    bool number = !text.empty() && problem == std::errc() && end == text.data() + text.size();
    if (!number || count < 1 || count > app::kMostPasswords) {
        return wants(text, "a count from 1 to " + std::to_string(app::kMostPasswords));
    }
    return {};
}

// What the length box could hold, give or take a minus sign: the range is the batch's to check,
// with the window's messages.
bool is_number(std::string_view text) {
    auto first = text.find_first_not_of(" \t");
    auto last = text.find_last_not_of(" \t");
    if (first == text.npos) {
        return false;
    }
    text = text.substr(first, last - first + 1);
    if (text.starts_with('-')) {
        text.remove_prefix(1);
    }
    return !text.empty() && text.find_first_not_of("0123456789") == text.npos;
}

// --private and --recover go alone.
std::string another_action(CommandLine& line, CommandLine::Action action) {
    if (line.action != CommandLine::Action::OpenWindow && line.action != action) {
        return "goes alone, without --generate or another of --private and --recover";
    }
    line.action = action;
    return {};
}

// The classes' letters and names, for --classes.
const std::string kClassLetters = app::class_letters();
const std::string kClassHelp = app::class_list(false) + " (all)";

const std::array kOptions = {
    Option{"-h", "--help", "", "show this help and exit",
           [](CommandLine& line, std::string_view) {
               line.action = CommandLine::Action::ShowHelp;
               return std::string();
           }},
    Option{"-V", "--version", "", "show the version and exit",
           [](CommandLine& line, std::string_view) {
               if (line.action != CommandLine::Action::ShowHelp) {
                   line.action = CommandLine::Action::ShowVersion;
               }
               return std::string();
           }},
    Option{"", "--generate", "", "print passwords, one a line, and record them; no window",
           [](CommandLine& line, std::string_view) {
               if (line.action == CommandLine::Action::SetPrivate ||
                   line.action == CommandLine::Action::Recover) {
                   return std::string("does not go with --private or --recover");
               }
               if (line.action == CommandLine::Action::OpenWindow) {
                   line.action = CommandLine::Action::Generate;
               }
               return std::string();
           }},
    Option{"", "--length", "N", "characters in each password, 1 to 50 (8)",
           [](CommandLine& line, std::string_view value) {
               line.batch.length = value;
               return is_number(value) ? std::string() : wants(value, "a number");
           },
           true},
    Option{"", "--classes", kClassLetters, kClassHelp,
           [](CommandLine& line, std::string_view value) {
               line.batch.classes = value;
               const bool known = std::all_of(value.begin(), value.end(), [](char letter) {
                   return app::class_of_letter(letter).has_value();
               });
               return known ? std::string() : wants(value, "some of the letters " + kClassLetters);
           },
           true},
    Option{"", "--chars", "LIST", "only these characters; spaces are dropped",
           [](CommandLine& line, std::string_view value) {
               line.batch.custom_list = std::string(value);
               // Stray bytes would become U+FFFD and be recorded as such.
               return app::is_utf8(value) ? std::string() : std::string("takes UTF-8 text only");
           },
           true},
    Option{"", "--exclude", "CHARS", "never use these characters",
           [](CommandLine& line, std::string_view value) {
               line.batch.exclude = value;
               return app::is_utf8(value) ? std::string() : std::string("takes UTF-8 text only");
           },
           true},
    Option{"", "--rules", "RULES", "draw by a site's rules, as in 'minlength: 8; required: digit;'",
           [](CommandLine& line, std::string_view value) {
               line.batch.rules = std::string(value);
               return app::is_utf8(value) ? std::string() : std::string("takes UTF-8 text only");
           },
           true},
    Option{"", "--site", "DOMAIN", "draw by the rules the shipped list knows for DOMAIN",
           [](CommandLine& line, std::string_view value) {
               line.batch.site = std::string(value);
               return value.empty() ? wants(value, "a domain") : std::string();
           },
           true},
    Option{"-n", "", "COUNT", "how many passwords, 1 to 100000000 (1)",
           [](CommandLine& line, std::string_view value) {
               return parse_count(value, line.batch.count);
           },
           true},
    Option{"", "--every-class", "", "at least one character of each of the classes",
           [](CommandLine& line, std::string_view) {
               line.batch.every_class = true;
               return std::string();
           },
           true},
    Option{"", "--no-look-alikes", "", "leave out l 1 I | O 0 o ` ' \"",
           [](CommandLine& line, std::string_view) {
               line.batch.no_look_alikes = true;
               return std::string();
           },
           true},
    Option{"", "--words", "N", "a passphrase of N words, 1 to 20, instead of a password",
           [](CommandLine& line, std::string_view value) {
               line.batch.words = std::string(value);
               return is_number(value) ? std::string() : wants(value, "a number");
           },
           true},
    Option{"", "--separator", "S", "put S between the words (a space)",
           [](CommandLine& line, std::string_view value) {
               line.batch.separator = value;
               return app::is_utf8(value) ? std::string() : std::string("takes UTF-8 text only");
           },
           true},
    Option{"", "--word-list", "FILE", "draw the words from FILE, one a line (Language/words.txt)",
           [](CommandLine& line, std::string_view value) {
               line.batch.word_list_file = std::string(value);
               return value.empty() ? wants(value, "a file") : std::string();
           },
           true},
    Option{"", "--allow-repeats", "", "print a password even when it is on record already",
           [](CommandLine& line, std::string_view) {
               line.batch.allow_repeats = true;
               return std::string();
           },
           true},
    Option{"", "--private", "on|off",
           "encrypt the records file (on: prints the recovery key) or back to plain text",
           [](CommandLine& line, std::string_view value) {
               if (value != "on" && value != "off") {
                   return wants(value, "on or off");
               }
               line.private_on = value == "on";
               return another_action(line, CommandLine::Action::SetPrivate);
           }},
    Option{"", "--recover", "",
           "put the key of private records back, from the recovery key on "
           "standard input",
           [](CommandLine& line, std::string_view) {
               return another_action(line, CommandLine::Action::Recover);
           }},
};

const Option* find_option(std::string_view argument) {
    for (const auto& option : kOptions) {
        if (argument == option.short_name || argument == option.long_name) {
            return &option;
        }
    }
    return nullptr;
}

std::string name_of(const Option& option) {
    return std::string(option.long_name.empty() ? option.short_name : option.long_name);
}

CommandLine refuse(std::string error) {
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.error = "keymint: " + std::move(error);
    return line;
}

}  // namespace

CommandLine parse_command_line(int argc, const char* const* argv) {
    CommandLine line;
    const Option* script_option = nullptr;
    bool classes_given = false;
    bool length_given = false;
    bool separator_given = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        std::optional<std::string_view> value;
        if (auto equals = argument.find('=');
            argument.starts_with("--") && equals != argument.npos) {
            value = argument.substr(equals + 1);
            argument = argument.substr(0, equals);
        }
        if (argument == "/?") {
            argument = "--help";  // how Windows programs are asked for their help
        }
        const Option* option = find_option(argument);
        if (option == nullptr) {
            return refuse(argument.starts_with('-')
                              ? "unknown option '" + std::string(argv[i]) + "'"
                              : "unexpected argument '" + std::string(argument) + "'");
        }
        if (option->value_name.empty() && value) {
            return refuse(name_of(*option) + " takes no value");
        }
        if (!option->value_name.empty() && !value) {
            if (i + 1 >= argc) {
                return refuse(name_of(*option) + " needs a value (" +
                              std::string(option->value_name) + ")");
            }
            value = argv[++i];
        }
        if (auto problem = option->apply(line, value.value_or("")); !problem.empty()) {
            return refuse(name_of(*option) + " " + problem);
        }
        if (option->for_scripts) {
            script_option = option;
        }
        classes_given = classes_given || option->long_name == "--classes";
        length_given = length_given || option->long_name == "--length";
        separator_given = separator_given || option->long_name == "--separator";
    }
    const bool other_action = line.action == CommandLine::Action::OpenWindow ||
                              line.action == CommandLine::Action::SetPrivate ||
                              line.action == CommandLine::Action::Recover;
    if (script_option != nullptr && other_action) {
        return refuse(name_of(*script_option) + " goes with --generate");
    }
    line.batch.length_given = length_given;
    if (line.batch.rules && line.batch.site) {
        return refuse("--rules and --site do not go together: use one of them");
    }
    const bool by_rule = line.batch.rules || line.batch.site;
    if (by_rule && (classes_given || line.batch.custom_list || line.batch.every_class)) {
        return refuse(std::string(line.batch.site ? "--site" : "--rules") +
                      " chooses the characters itself: leave out --classes, --chars and "
                      "--every-class");
    }
    if (classes_given && line.batch.custom_list) {
        return refuse("--classes and --chars do not go together: use one of them");
    }
    if (line.batch.every_class && line.batch.custom_list) {
        return refuse("--every-class goes with the classes, not with --chars");
    }
    const bool for_passwords = classes_given || line.batch.custom_list || line.batch.every_class ||
                               line.batch.no_look_alikes || length_given ||
                               !line.batch.exclude.empty() || by_rule;
    if (line.batch.words && for_passwords) {
        return refuse("--words does not go with the options of passwords");
    }
    if (!line.batch.words && (separator_given || line.batch.word_list_file)) {
        return refuse(std::string(separator_given ? "--separator" : "--word-list") +
                      " goes with --words");
    }
    return line;
}

std::string usage_text() {
    std::string text =
        "Usage: keymint [OPTION]\n"
        "  or:  keymint --generate [--length N] [--classes " +
        kClassLetters +
        " | --chars LIST] [-n COUNT]\n"
        "                          [--every-class] [--no-look-alikes] [--exclude CHARS]\n"
        "                          [--allow-repeats]\n"
        "  or:  keymint --generate --rules RULES | --site DOMAIN [--length N] [-n COUNT]\n"
        "                          [--no-look-alikes] [--exclude CHARS] [--allow-repeats]\n"
        "  or:  keymint --generate --words N [--separator S] [--word-list FILE] [-n COUNT]\n"
        "                          [--allow-repeats]\n"
        "  or:  keymint --private on|off\n"
        "  or:  keymint --recover < recovery-key.txt\n"
        "Draws random passwords in a small window and keeps a record of them; with --generate,\n"
        "prints them for scripts, by the window's rules and into the same records.\n"
        "Exit status: 0 done, 1 refused (the reason on standard error), 2 bad use.\n\n";
    for (const auto& option : kOptions) {
        std::string names = option.short_name.empty() ? "      "
                                                      : "  " + std::string(option.short_name) +
                                                            (option.long_name.empty() ? " " : ", ");
        names += std::string(option.long_name);
        if (!option.value_name.empty()) {
            names += (option.long_name.empty() ? "" : " ") + std::string(option.value_name);
        }
        names.resize(std::max<std::size_t>(names.size() + 2, 24), ' ');
        text += names + std::string(option.help) + "\n";
    }
    return text;
}

std::string version_text() {
    return "Keymint " KEYMINT_VERSION "\n";
}

std::optional<int> answer_without_window(int argc, const char* const* argv, std::ostream& out,
                                         std::ostream& error, const BatchRunner& generate,
                                         const RecordsRunner& records) {
    CommandLine line = parse_command_line(argc, argv);
    switch (line.action) {
        case CommandLine::Action::OpenWindow:
            return std::nullopt;
        case CommandLine::Action::ShowHelp:
            out << usage_text();
            return 0;
        case CommandLine::Action::ShowVersion:
            out << version_text();
            return 0;
        case CommandLine::Action::Generate:
            if (generate) {
                return generate(line.batch);
            }
            line.error = "keymint: --generate is not available here";
            break;
        case CommandLine::Action::SetPrivate:
        case CommandLine::Action::Recover:
            if (records) {
                return records(line);
            }
            line.error = "keymint: --private and --recover are not available here";
            break;
        case CommandLine::Action::Refuse:
            break;
    }
    error << line.error << "\n" << usage_text();
    return 2;
}

int generate_passwords(const app::BatchRequest& request, platform::ProgramInfo& program,
                       platform::FileSystem& files, platform::RandomSource& random,
                       const platform::TextEncoding& encoding, std::ostream& out,
                       std::ostream& errors, std::shared_ptr<app::RecordKeys> keys) {
    app::FilePlaces places(program, files);
    try {
        places.prepare(files);
    } catch (const platform::FileError& problem) {
        errors << app::kCantLoadFile << ' ' << problem.what() << '\n';
        return 1;
    }
    if (request.custom_list) {
        std::string left_out = app::unencodable_characters(*request.custom_list, encoding);
        if (!left_out.empty()) {
            errors << "keymint: left out of --chars, as the records file is kept in this system's "
                      "code page, which cannot hold them:";
            // They are what the code page cannot hold, nor so the console: named by number.
            for (const auto& point : app::code_points(left_out)) {
                errors << ' ' << app::code_point_name(point);
            }
            errors << '\n';
        }
    }
    app::BatchRequest batch = request;
    if (const auto& site = request.site) {
        try {
            const auto sites = app::read_site_list(files, places.language_file(app::kSiteListFile));
            const app::SiteEntry* entry = app::find_site(sites, *site);
            if (entry == nullptr) {
                errors << "keymint: the list of sites' rules knows no rules for '" << *site
                       << "'; give them with --rules.\n";
                return 1;
            }
            batch.rules = entry->rules;
        } catch (const platform::FileError& problem) {
            errors << "Can't read the list of sites' rules. " << problem.what() << '\n';
            return 1;
        } catch (const std::runtime_error& problem) {
            errors << "keymint: " << problem.what() << '\n';
            return 1;
        }
    }
    if (batch.words) {
        // A count out of range is refused before the list is looked for.
        if (app::check_word_count(*batch.words) == 0) {
            errors << app::kWordCount << '\n';
            return 1;
        }
        const std::string list =
            request.word_list_file.value_or(places.language_file(app::kWordListFile));
        try {
            std::size_t unheld = 0;
            batch.word_list =
                app::parse_word_list(app::read_word_list(files, list, encoding), encoding, &unheld);
            if (unheld > 0) {
                errors << "keymint: " << app::words_not_held(unheld) << '\n';
            }
        } catch (const platform::FileError& problem) {
            errors << app::kNoWordList << ' ' << problem.what() << '\n';
            return 1;
        }
    }
    app::RecordsFile records(files, places.data_file(std::string(app::RecordsFile::kFileName)),
                             std::move(keys));
    app::BufferedRandom buffered(random);
    return app::generate_batch(batch, records, buffered, encoding, out, errors);
}

int change_records(const CommandLine& line, platform::ProgramInfo& program,
                   platform::FileSystem& files, platform::RandomSource& random,
                   std::shared_ptr<app::RecordKeys> keys, std::istream& in, std::ostream& out,
                   std::ostream& errors) {
    app::FilePlaces places(program, files);
    try {
        places.prepare(files);
        app::RecordsFile records(files, places.data_file(std::string(app::RecordsFile::kFileName)),
                                 std::move(keys));
        std::size_t unreadable = 0;
        if (line.action == CommandLine::Action::Recover) {
            std::string code;
            std::getline(in, code);
            app::recover_key(records, code);
            errors << "keymint: the key of the private records is back in this desktop's "
                      "keyring.\n";
        } else if (line.private_on) {
            auto done = app::turn_private_on(records, random);
            if (!done) {
                errors << "keymint: the records are private already.\n";
                return 0;
            }
            unreadable = done->unreadable;
            errors << "keymint: the records are now private. Below is their recovery key, shown "
                      "only now: keep it safe. Without it nobody, Keymint included, can read the "
                      "records once this desktop's keyring is lost, or on another computer. "
                      "Give it to keymint --recover to put the key back.\n";
            out << done->recovery_code << '\n' << std::flush;
        } else {
            auto done = app::turn_private_off(records);
            if (!done) {
                errors << "keymint: the records are plain text already.\n";
                return 0;
            }
            unreadable = *done;
            errors << "keymint: the records are plain text again.\n";
        }
        if (unreadable > 0) {
            errors << "keymint: " << app::unreadable_lines(unreadable) << '\n';
        }
        return 0;
    } catch (const platform::FileError& problem) {
        errors << app::kCantLoadFile << ' ' << problem.what() << '\n';
    } catch (const app::RecordsKeyError& problem) {
        errors << "keymint: " << problem.what() << '\n';
    } catch (const platform::CryptoError& problem) {
        errors << "keymint: " << problem.what() << '\n';
    }
    return 1;
}

}  // namespace program
