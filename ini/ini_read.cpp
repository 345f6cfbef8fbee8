#include "ini/ini_read.h"

#include <string_view>

#include "ini/ini_file.h"

namespace ini {

IniText::IniText(std::string text) : text_(std::move(text)), folded_(detail::ascii_lower(text_)) {}

IniText IniText::load(platform::FileSystem& files, const std::string& path) {
    detail::ensure_file_exists(files, path);
    return IniText(files.read_all(path));
}

std::string IniText::value(const std::string& section, const std::string& key) const {
    // ASCII folding keeps positions, so a line found in `folded_` is cut from `text_` directly.
    const std::string header = "[" + detail::ascii_lower(section) + "]";
    const std::string prefix = detail::ascii_lower(key) + "=";

    bool in_section = false;
    std::size_t start = 0;
    while (start < folded_.size()) {
        // CR, LF and CR LF all end a line. Splitting CR LF into two leaves an empty line between,
        // which neither ends a section nor matches a key, so it needs no special case.
        std::size_t end = folded_.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = folded_.size();
        }
        const std::string_view line = std::string_view(folded_).substr(start, end - start);

        if (line.find('[') != std::string_view::npos) {
            in_section = (line == header);
        } else if (in_section && line.starts_with(prefix)) {
            return text_.substr(start + prefix.size(), line.size() - prefix.size());
        }
        start = end + 1;
    }
    return "";
}

std::string ReadIni(platform::FileSystem& files, const std::string& path,
                    const std::string& section, const std::string& key) {
    return IniText::load(files, path).value(section, key);
}

}  // namespace ini
