#include "platform/posix/desktop_entry.h"

namespace platform::posix {
namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::string escape_value(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    if (!out.empty() && out.front() == ' ') {
        out.replace(0, 1, "\\s");
    }
    return out;
}

std::string unescape_value(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:  // not an escape of this layer: left for the quoting rules
                out += '\\';
                out += text[i];
        }
    }
    return out;
}

ParsedEntry parse_entry(std::string_view contents) {
    ParsedEntry entry;
    bool in_main_group = false;
    bool seen_group = false;
    while (!contents.empty()) {
        std::size_t end = contents.find('\n');
        std::string_view line = trim(contents.substr(0, end));
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            // Only the first group is the entry; later groups are actions.
            in_main_group = !seen_group && line == "[Desktop Entry]";
            seen_group = true;
            continue;
        }
        std::size_t equals = line.find('=');
        if (!in_main_group || equals == std::string_view::npos) {
            continue;
        }
        std::string_view key = trim(line.substr(0, equals));
        std::string_view value = trim(line.substr(equals + 1));
        if (key == "Exec") {
            entry.exec = unescape_value(value);
        } else if (key == "Hidden") {
            entry.hidden = entry.hidden || value == "true";
        } else if (key == "X-GNOME-Autostart-enabled") {
            entry.hidden = entry.hidden || value == "false";
        } else if (key == kTypeKey && value == "REG_EXPAND_SZ") {
            entry.type = reg::kExpandSz;
        }
    }
    return entry;
}

}  // namespace platform::posix
