#include "ini/ini_read.h"

#include <string_view>

#include "ini/ini_file.h"

namespace ini {

std::string ReadIni(platform::FileSystem& files, const std::string& path,
                    const std::string& section, const std::string& key) {
    detail::ensure_file_exists(files, path);
    const std::string text = files.read_all(path);
    // ASCII folding keeps positions, so a line found in `folded` is cut from `text` directly.
    const std::string folded = detail::ascii_lower(text);
    const std::string header = "[" + detail::ascii_lower(section) + "]";
    const std::string prefix = detail::ascii_lower(key) + "=";

    bool in_section = false;
    std::size_t start = 0;
    while (start < folded.size()) {
        // CR, LF and CR LF all end a line. Splitting CR LF into two leaves an empty line between,
        // which neither ends a section nor matches a key, so it needs no special case.
        std::size_t end = folded.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = folded.size();
        }
        const std::string_view line = std::string_view(folded).substr(start, end - start);

        if (line.find('[') != std::string_view::npos) {
            in_section = (line == header);
        } else if (in_section && line.starts_with(prefix)) {
            return text.substr(start + prefix.size(), line.size() - prefix.size());
        }
        start = end + 1;
    }
    return "";
}

}  // namespace ini
