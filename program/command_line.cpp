#include "program/command_line.h"

#include <algorithm>
#include <array>

namespace program {
namespace {

struct Option {
    std::string_view short_name;
    std::string_view long_name;
    std::string_view help;
    void (*apply)(CommandLine& line);
};

constexpr std::array kOptions = {
    Option{"-h", "--help", "show this help and exit",
           [](CommandLine& line) { line.action = CommandLine::Action::ShowHelp; }},
    Option{"-V", "--version", "show the version and exit",
           [](CommandLine& line) { line.action = CommandLine::Action::ShowVersion; }},
};

const Option* find_option(std::string_view argument) {
    for (const auto& option : kOptions) {
        if (argument == option.short_name || argument == option.long_name) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

CommandLine parse_command_line(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        const Option* option = find_option(argument);
        if (option == nullptr) {
            line.action = CommandLine::Action::Refuse;
            line.error = argument.starts_with('-')
                             ? "keymint: unknown option '" + std::string(argument) + "'"
                             : "keymint: unexpected argument '" + std::string(argument) + "'";
            return line;
        }
        option->apply(line);
    }
    return line;
}

std::string usage_text() {
    std::string text =
        "Usage: keymint [OPTION]\n"
        "Draws random passwords in a small window and keeps a record of them.\n\n";
    for (const auto& option : kOptions) {
        std::string names =
            "  " + std::string(option.short_name) + ", " + std::string(option.long_name);
        names.resize(std::max<std::size_t>(names.size() + 2, 18), ' ');
        text += names + std::string(option.help) + "\n";
    }
    return text;
}

std::string version_text() {
    return "Keymint " KEYMINT_VERSION "\n";
}

std::optional<int> answer_without_window(int argc, const char* const* argv, std::ostream& out,
                                         std::ostream& error) {
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
        case CommandLine::Action::Refuse:
            break;
    }
    error << line.error << "\n" << usage_text();
    return 2;
}

}  // namespace program
