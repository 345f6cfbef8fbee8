#include "program/generate_command.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace program {
namespace {

struct Option {
    std::string_view name;
    std::string_view value_name;  // empty: a switch
    std::string_view help;
    // Takes the option's value; false when it cannot be used.
    bool (*apply)(GenerateCommand& command, std::string_view value);
};

bool parse_count(std::string_view text, std::uint64_t& count) {
    auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), count);
    return problem == std::errc() && end == text.data() + text.size() && !text.empty();
}

constexpr std::array kOptions = {
    Option{"--generate", "", "print passwords to standard output, one a line, and record them",
           [](GenerateCommand& command, std::string_view) { return command.requested = true; }},
    Option{"--length", "N", "characters in each password, 1 to 50 (8)",
           [](GenerateCommand& command, std::string_view value) {
               command.request.length = value;
               return true;
           }},
    Option{"--classes", "ULDO", "draw from upper case, lower case, digits, others (all four)",
           [](GenerateCommand& command, std::string_view value) {
               command.request.classes = value;
               return value.find_first_not_of("ULDOuldo") == value.npos;
           }},
    Option{"--chars", "LIST", "draw only from these characters; spaces are dropped",
           [](GenerateCommand& command, std::string_view value) {
               command.request.custom_list = std::string(value);
               return true;
           }},
    Option{"-n", "COUNT", "how many passwords (1)",
           [](GenerateCommand& command, std::string_view value) {
               return parse_count(value, command.request.count);
           }},
    Option{"--allow-repeats", "", "print a password even when it is on record already",
           [](GenerateCommand& command, std::string_view) {
               return command.request.allow_repeats = true;
           }},
};

const Option* find_option(std::string_view name) {
    for (const auto& option : kOptions) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

GenerateCommand parse_generate_command(int argc, const char* const* argv) {
    GenerateCommand command;
    for (int i = 1; i < argc && command.error.empty(); ++i) {
        std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            command.help = true;
            continue;
        }
        std::string_view value;
        bool inline_value = false;
        if (auto equals = argument.find('=');
            argument.starts_with("--") && equals != argument.npos) {
            value = argument.substr(equals + 1);
            argument = argument.substr(0, equals);
            inline_value = true;
        }
        const Option* option = find_option(argument);
        if (option == nullptr) {
            command.error = "keymint: unknown option '" + std::string(argv[i]) + "'";
            break;
        }
        if (!option->value_name.empty() && !inline_value) {
            if (i + 1 >= argc) {
                command.error = "keymint: " + std::string(argument) + " needs a value (" +
                                std::string(option->value_name) + ")";
                break;
            }
            value = argv[++i];
        }
        if (!option->apply(command, value)) {
            command.error = "keymint: " + std::string(argument) + " does not take '" +
                            std::string(value) + "'; it wants " + std::string(option->value_name);
        }
    }
    // The options were meant for a script even when one of them cannot be used.
    for (int i = 1; i < argc && !command.requested; ++i) {
        command.requested = std::string_view(argv[i]) == "--generate";
    }
    return command;
}

std::string generate_usage() {
    std::string text =
        "Usage: keymint --generate [--length N] [--classes ULDO | --chars LIST] "
        "[-n COUNT] [--allow-repeats]\n";
    for (const auto& option : kOptions) {
        std::string names = "  " + std::string(option.name);
        if (!option.value_name.empty()) {
            names += " " + std::string(option.value_name);
        }
        names.resize(std::max<std::size_t>(names.size() + 2, 22), ' ');
        text += names + std::string(option.help) + "\n";
    }
    return text;
}

std::optional<int> answer_generate(int argc, const char* const* argv,
                                   platform::ProgramInfo& program, platform::FileSystem& files,
                                   platform::RandomSource& random, std::ostream& out,
                                   std::ostream& errors) {
    GenerateCommand command = parse_generate_command(argc, argv);
    if (!command.requested) {
        return std::nullopt;
    }
    if (!command.error.empty()) {
        errors << command.error << "\n" << generate_usage();
        return 2;
    }
    if (command.help) {
        out << generate_usage();
        return 0;
    }
    app::RecordsFile records(files, program.path_of(std::string(app::RecordsFile::kFileName)));
    app::BufferedRandom buffered(random);
    return app::generate_batch(command.request, records, buffered, out, errors);
}

}  // namespace program
