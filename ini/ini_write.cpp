#include "ini/ini_write.h"

#include <algorithm>

#include "ini/ini_file.h"

namespace ini {
namespace {

constexpr auto npos = std::string::npos;

std::string replace_all(const std::string& text, const std::string& from, const std::string& to) {
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(from, start)) != npos; start = found + from.size()) {
        result.append(text, start, found - start).append(to);
    }
    return result.append(text, start);
}

bool is_control_or_line_end(char c) {
    return static_cast<unsigned char>(c) <= '\r';
}

// Shrinks every run of blank lines to one, and drops blank lines and control characters at both
// ends.
void tidy(std::string& text) {
    const std::string three_line_ends = "\r\n\r\n\r\n";
    while (text.find(three_line_ends) != npos) {
        text = replace_all(text, three_line_ends, "\r\n\r\n");
    }
    while (!text.empty() && is_control_or_line_end(text.back())) {
        text.pop_back();
    }
    const auto first_kept = std::find_if_not(text.begin(), text.end(), is_control_or_line_end);
    text.erase(text.begin(), first_kept);
}

// The contents of the file once `key` is set in `section`, from its contents `stored`.
std::string with_key(const std::string& stored, const std::string& section, const std::string& key,
                     const std::string& value) {
    // A header must fill a whole line: CR LF before it, CR after. A key starts a line: LF before.
    const std::string header_pattern = "\r\n[" + detail::ascii_lower(section) + "]\r";
    const std::string key_pattern = "\n" + detail::ascii_lower(key) + "=";
    const std::string key_line = key + "=" + value;

    // The leading CR LF lets a header on the first line match; the trailing "[]" closes the last
    // section, so the end of a section is always the next "[".
    std::string text = "\r\n" + stored + "[]";
    const std::string folded = detail::ascii_lower(text);
    const std::size_t header = folded.find(header_pattern);

    if (header == npos) {
        text.resize(text.size() - 2);
        text += "\r\n\r\n[" + section + "]\r\n" + key_line;
    } else {
        const std::size_t header_end = header + header_pattern.size();
        const std::size_t section_end = folded.find('[', header_end);
        const std::size_t found_key = folded.find(key_pattern, header);
        text.resize(text.size() - 2);
        if (found_key == npos || found_key > section_end) {
            // New keys go directly below the header line (after its CR and the LF that follows).
            const std::size_t below_header = std::min(header_end + 1, text.size());
            text.insert(below_header, key_line + "\r\n");
        } else {
            // Replace from the key name to the end of its line; a last line without a line end
            // runs to the end of the text.
            const std::size_t name = found_key + 1;
            const std::size_t line_end = std::min(text.find('\r', found_key), text.size());
            text.replace(name, line_end - name, key_line);
        }
    }

    text.erase(0, 1);
    tidy(text);
    return text + "\r\n";
}

}  // namespace

void WriteIni(platform::FileSystem& files, const std::string& path, const std::string& section,
              const std::string& key, const std::string& value) {
    WriteIniKeys(files, path, section, {{key, value}});
}

void WriteIniKeys(platform::FileSystem& files, const std::string& path, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& keys) {
    detail::ensure_file_exists(files, path);
    std::string text = files.read_all(path);
    for (const auto& [key, value] : keys) {
        text = with_key(text, section, key, value);
    }
    files.replace(path, text, platform::FileAccess::Normal);
}

}  // namespace ini
