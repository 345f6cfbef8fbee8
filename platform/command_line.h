#pragma once

// Windows command lines, in plain C++: the Run key holds one, and the Linux autostart layer turns
// it into a desktop entry's Exec line and back.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A command line split into its arguments (quotation marks and backslashes as
// CommandLineToArgvW reads them), and back: splitting what joining gave returns the arguments.
inline std::vector<std::string> split_command_line(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i == n) {
            break;
        }
        std::string argument;
        bool quoted = false;
        while (i < n && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            if (line[i] == '\\') {
                std::size_t count = 0;
                while (i + count < n && line[i + count] == '\\') {
                    ++count;
                }
                if (i + count < n && line[i + count] == '"') {
                    // 2n backslashes and a quotation mark: n backslashes, and the mark quotes;
                    // 2n+1: n backslashes and a literal mark.
                    argument.append(count / 2, '\\');
                    i += count;
                    if (count % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(count, '\\');
                    i += count;
                }
                continue;
            }
            if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            argument += line[i++];
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

inline std::string join_command_line(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) {
            line += ' ';
        }
        if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
            line += argument;
            continue;
        }
        line += '"';
        std::size_t backslashes = 0;
        for (char c : argument) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

}  // namespace platform
