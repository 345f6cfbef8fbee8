#include "platform/posix/desktop_entry.h"

#include "platform/posix/exec_quoting.h"

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

bool valid_utf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
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
            entry.exec = std::string(value);  // un-escaped once, with its quoting
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

std::optional<std::string> entry_following(std::string_view contents, const std::string& program,
                                           const std::string& icon) {
    const std::string exec_line = "Exec=" + exec_from_arguments({program});
    const std::string icon_line = "Icon=" + escape_value(icon);
    std::string followed;
    bool in_main_group = false;
    bool seen_group = false;
    bool changed = false;
    while (!contents.empty()) {
        const std::size_t end = contents.find('\n');
        const std::string_view raw = contents.substr(0, end);
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        std::string_view line = trim(raw);
        if (!line.empty() && line.front() == '[') {
            in_main_group = !seen_group && line == "[Desktop Entry]";
            seen_group = true;
        }
        std::string kept(raw);
        if (in_main_group && (line.starts_with("Exec=") || line.starts_with("Icon="))) {
            const std::string& wanted = line.starts_with("Exec=") ? exec_line : icon_line;
            if (line.starts_with("Exec=")) {
                // Field codes or arguments a user added stay, only the program is followed.
                auto arguments = arguments_from_exec(line.substr(5));
                if (arguments && !arguments->empty() && arguments->front() == program) {
                    followed += kept + "\n";
                    continue;
                }
            }
            changed = changed || line != wanted;
            kept = wanted;
        }
        followed += kept + "\n";
    }
    if (!changed) {
        return std::nullopt;
    }
    return followed;
}

}  // namespace platform::posix
