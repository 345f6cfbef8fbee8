#include "app/records_file.h"

#include "app/line_splitter.h"
#include "app/text.h"

namespace app {

RecordsFile::RecordsFile(platform::FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)) {}

std::string RecordsFile::first_line() {
    return std::string(kFirstLine) + std::string(kLineEnd);
}

void RecordsFile::make_sure_exists() {
    if (!files_.exists(path_)) {
        files_.create(path_, first_line(), platform::FileAccess::OwnerOnly);
        return;
    }
    // A file left empty (a full disk at the first start) gets its first line now.
    auto appending = files_.open_for_append(path_);
    if (appending->tail(1).empty()) {
        appending->write(first_line());
    }
}

std::unique_ptr<platform::AppendFile> RecordsFile::open_for_append() {
    if (!files_.exists(path_)) {
        make_sure_exists();
    }
    return files_.open_for_append(path_);
}

bool RecordsFile::is_on_record(std::string_view candidate) {
    std::string text = files_.read_all(path_);
    return !text.empty() && has_line(text, candidate);
}

void RecordsFile::append(platform::AppendFile& file, std::string_view password) {
    std::string line;
    const std::string last = file.tail(1);
    if (last.empty()) {
        line = first_line();
    } else if (last != "\r" && last != "\n") {
        // A hand-edited file may lack its final line break; the record must not join that line.
        line += kLineEnd;
    }
    line += password;
    line += kLineEnd;
    file.write(line);
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
    std::string kept = first_line();
    kept.reserve(contents.size() + kept.size());
    bool first = true;
    for_each_line(contents, [&](std::string_view piece, std::uint64_t) {
        // The first line is the marker line unless a hand edit put a record there.
        bool marker = first && piece == kFirstLine;
        first = false;
        if (!marker && !piece.empty() && !equal_ignoring_case(piece, text)) {
            kept.append(piece).append(kLineEnd);
        }
    });
    files_.replace(path_, kept, platform::FileAccess::OwnerOnly);
}

bool has_line(std::string_view text, std::string_view line) {
    bool found = false;
    for_each_line(text,
                  [&](std::string_view piece, std::uint64_t) { found = found || piece == line; });
    return found;
}

}  // namespace app
