#include "platform/posix/exec_quoting.h"

#include "platform/posix/desktop_entry.h"

namespace platform::posix {

std::string exec_from_arguments(const std::vector<std::string>& arguments) {
    std::string exec;
    for (const std::string& argument : arguments) {
        if (!exec.empty()) {
            exec += ' ';
        }
        if (!argument.empty() &&
            argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") == std::string::npos) {
            exec += argument;
            continue;
        }
        exec += '"';
        for (char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') {
                exec += '\\';
            }
            exec += c;
        }
        exec += '"';
    }
    std::string with_percent;
    for (char c : exec) {
        with_percent += c;
        if (c == '%') {
            with_percent += '%';
        }
    }
    return escape_value(with_percent);
}

std::optional<std::vector<std::string>> arguments_from_exec(std::string_view exec) {
    std::string text = unescape_value(exec);
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 == text.size()) {
            line += text[i];
        } else if (text[++i] == '%') {
            line += '%';
        }  // any other field code stands for arguments given at start-up: none at log-on
    }

    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = line.size();
    auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    while (true) {
        while (i < n && is_space(line[i])) {
            ++i;
        }
        if (i == n) {
            break;
        }
        std::string argument;
        while (i < n && !is_space(line[i])) {
            if (line[i] == '"') {
                ++i;
                bool closed = false;
                while (i < n) {
                    char c = line[i++];
                    if (c == '"') {
                        closed = true;
                        break;
                    }
                    if (c == '\\' && i < n &&
                        (line[i] == '"' || line[i] == '`' || line[i] == '$' || line[i] == '\\')) {
                        c = line[i++];
                    }
                    argument += c;
                }
                if (!closed) {
                    return std::nullopt;
                }
            } else if (line[i] == '\\' && i + 1 < n) {
                argument += line[i + 1];
                i += 2;
            } else {
                argument += line[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace platform::posix
