#include "app/records_file.h"

#include "app/text.h"

namespace app {

RecordsFile::RecordsFile(platform::FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)) {}

void RecordsFile::make_sure_exists() {
    if (!files_.exists(path_)) {
        files_.create(path_, std::string(kFirstLine) + std::string(kLineEnd),
                      platform::FileAccess::OwnerOnly);
    }
}

std::unique_ptr<platform::AppendFile> RecordsFile::open_for_append() {
    make_sure_exists();
    return files_.open_for_append(path_);
}

bool RecordsFile::is_on_record(std::string_view candidate) {
    std::string text = files_.read_all(path_);
    return !text.empty() && has_line(text, candidate);
}

void RecordsFile::append(platform::AppendFile& file, std::string_view password) {
    append_lines(file, std::string(password) + std::string(kLineEnd));
}

void RecordsFile::append_lines(platform::AppendFile& file, std::string_view lines) {
    // A hand-edited file may lack its final line break; the new records must not join that line.
    std::string last = file.tail(kLineEnd.size());
    if (!last.empty() && last != kLineEnd) {
        file.write(std::string(kLineEnd) + std::string(lines));
    } else {
        file.write(lines);
    }
}

std::string RecordsFile::contents() {
    return files_.read_all(path_);
}

ListItems RecordsFile::list() {
    return ListItems::from_lines(files_.read_all(path_), kFirstLine);
}

void RecordsFile::delete_all() {
    files_.replace(path_, std::string(kFirstLine) + std::string(kLineEnd),
                   platform::FileAccess::OwnerOnly);
}

void RecordsFile::delete_matching(std::string_view text) {
    const std::string contents = files_.read_all(path_);
    const std::string unwanted = upper_case(text);
    std::string kept = std::string(kFirstLine) + std::string(kLineEnd);
    kept.reserve(contents.size() + kept.size());
    std::string_view rest(contents);
    bool first = true;
    for (;;) {
        std::size_t end = rest.find(kLineEnd);
        std::string_view piece = rest.substr(0, end);
        if (!first && !piece.empty() && upper_case(piece) != unwanted) {
            kept.append(piece).append(kLineEnd);
        }
        first = false;
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + kLineEnd.size());
    }
    files_.replace(path_, kept, platform::FileAccess::OwnerOnly);
}

bool has_line(std::string_view text, std::string_view line) {
    if (line.find(RecordsFile::kLineEnd) != std::string_view::npos) {
        return false;
    }
    auto separator_before = [&](std::size_t pos) {
        return pos == 0 || (pos >= 2 && text.substr(pos - 2, 2) == RecordsFile::kLineEnd);
    };
    auto separator_after = [&](std::size_t end) {
        return end == text.size() || text.substr(end, 2) == RecordsFile::kLineEnd;
    };
    for (auto pos = text.find(line); pos != std::string_view::npos;
         pos = text.find(line, pos + 1)) {
        if (separator_before(pos) && separator_after(pos + line.size())) {
            return true;
        }
    }
    return false;
}

}  // namespace app
