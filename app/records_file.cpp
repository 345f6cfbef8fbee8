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
    open_for_append(false);
}

std::unique_ptr<platform::AppendFile> RecordsFile::open_for_append(bool wait) {
    auto file = wait ? files_.open_for_append(path_) : files_.try_open_for_append(path_);
    // Left empty by a full disk at the first start, perhaps.
    if (file && file->stamp().size == 0) {
        file->write(first_line());
    }
    return file;
}

RecordsIndex RecordsFile::index(platform::AppendFile& file, std::uint64_t room,
                                std::shared_ptr<const RecordsIndex::Only> only) {
    auto sealed = file.seal();
    LockedReader reader(file);
    return RecordsIndex::build(reader, sealed, room, std::move(only));
}

bool RecordsFile::is_on_record(std::string_view candidate) {
    std::string text = files_.read_all(path_);
    return !text.empty() && has_line(text, candidate);
}

void RecordsFile::append(platform::AppendFile& file, std::string_view password,
                         RecordsIndex* index) {
    append_lines(file, std::string(password) + std::string(kLineEnd), index);
}

void RecordsFile::append_lines(platform::AppendFile& file, std::string_view lines,
                               RecordsIndex* index) {
    if (lines.empty()) {
        return;
    }
    std::string head;
    const std::string last = file.tail(1);
    if (last.empty()) {
        head = first_line();
    } else if (last != "\r" && last != "\n") {
        // A hand-edited file may lack its final line break; the records must not join that line.
        head = kLineEnd;
    }
    file.write(head.empty() ? std::string(lines) : head + std::string(lines));
    if (index != nullptr) {
        LockedReader reader(file);
        index->appended(reader, file.seal());
    }
}

std::string RecordsFile::contents() {
    return files_.read_all(path_);
}

ListItems RecordsFile::list(platform::FileStamp* stamp) {
    auto reading = files_.open_for_read(path_);
    const platform::FileStamp opened = reading->stamp();
    if (stamp != nullptr) {
        *stamp = opened;
    }
    std::string text = platform::read_to_end(*reading);
    return ListItems::from_lines(std::move(text), kFirstLine);
}

// Both deletes begin the new version first, so a read-only file is refused as such, and then
// hold the file's lock until the new version is in place: appends wait for it and then go to
// the new file, so no record added meanwhile is lost with the old one.
void RecordsFile::delete_all() {
    auto replacement = files_.begin_replace(path_, platform::FileAccess::OwnerOnly);
    auto held = open_for_append();
    replacement->write(first_line());
    replacement->commit();
}

void RecordsFile::delete_matching(std::string_view text) {
    constexpr std::size_t kChunk = 1 << 20;
    auto replacement = files_.begin_replace(path_, platform::FileAccess::OwnerOnly);
    auto held = open_for_append();
    auto reading = files_.open_for_read(path_);
    std::string kept = first_line();
    bool first = true;
    auto keep = [&](std::string_view piece, std::uint64_t) {
        // The first line is the marker line unless a hand edit put a record there.
        const bool marker = first && piece == kFirstLine;
        first = false;
        if (!marker && !piece.empty() && !equal_ignoring_case(piece, text)) {
            kept.append(piece).append(kLineEnd);
            if (kept.size() >= kChunk) {
                replacement->write(kept);
                kept.clear();
            }
        }
    };
    LineSplitter splitter;
    std::string chunk(kChunk, '\0');
    while (std::size_t got = reading->read(chunk.data(), chunk.size())) {
        splitter.feed(std::string_view(chunk.data(), got), keep);
    }
    splitter.finish(keep);
    replacement->write(kept);
    replacement->commit();
}

bool has_line(std::string_view text, std::string_view line) {
    bool found = false;
    for_each_line(text,
                  [&](std::string_view piece, std::uint64_t) { found = found || piece == line; });
    return found;
}

}  // namespace app
