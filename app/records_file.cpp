#include "app/records_file.h"

#include "app/line_splitter.h"
#include "app/text.h"

namespace app {
namespace {

// Longer than any first line a form of ours writes.
constexpr std::size_t kFirstLineBytes = 128;
constexpr std::size_t kChunk = 1 << 20;

std::string first_line_of(platform::AppendFile& locked) {
    std::string head(kFirstLineBytes, '\0');
    head.resize(locked.read_as_stored(0, head.data(), head.size()));
    return head.substr(0, head.find_first_of("\r\n"));
}

std::string line_with_end(std::string_view line) {
    return std::string(line) + std::string(RecordsFile::kLineEnd);
}

// Writes kept lines to a replacement in large pieces.
class Rewriter {
  public:
    explicit Rewriter(platform::Replacement& replacement) : replacement_(replacement) {}
    void line(std::string_view text) {
        kept_.append(text).append(RecordsFile::kLineEnd);
        if (kept_.size() >= kChunk) {
            replacement_.write(kept_);
            kept_.clear();
        }
    }
    void commit() {
        replacement_.write(kept_);
        replacement_.commit();
    }

  private:
    platform::Replacement& replacement_;
    std::string kept_;
};

}  // namespace

RecordsFile::RecordsFile(platform::FileSystem& files, std::string path,
                         std::shared_ptr<RecordKeys> keys)
    : files_(files),
      path_(std::move(path)),
      keys_(keys ? std::move(keys) : std::make_shared<RecordKeys>(nullptr, nullptr)) {}

RecordsFile::Codec RecordsFile::codec(platform::AppendFile& locked) const {
    return keys_->codec_for(first_line_of(locked));
}

std::optional<std::string> RecordsFile::private_key_id(platform::AppendFile& locked) {
    return PrivateRecords::key_id_of(first_line_of(locked));
}

std::string RecordsFile::stored(const RecordCodec& codec, std::string_view password) const {
    return files_.as_stored(codec.line_of(password));
}

void RecordsFile::make_sure_exists() {
    open_for_append(false);
}

std::unique_ptr<platform::AppendFile> RecordsFile::open_for_append(bool wait) {
    auto file = wait ? files_.open_for_append(path_) : files_.try_open_for_append(path_);
    // Left empty by a full disk at the first start, perhaps.
    if (file && file->stamp().size == 0) {
        file->write(line_with_end(kFirstLine));
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
    if (text.empty()) {
        return false;
    }
    const Codec form =
        keys_->codec_for(std::string_view(text).substr(0, text.find_first_of("\r\n")));
    return has_line(text, form->line_of(candidate));
}

void RecordsFile::append(platform::AppendFile& file, const RecordCodec& codec,
                         std::string_view password, RecordsIndex* index) {
    append_all(file, codec, {std::string(password)}, index);
}

void RecordsFile::append_all(platform::AppendFile& file, const RecordCodec& codec,
                             const std::vector<std::string>& passwords, RecordsIndex* index) {
    if (passwords.empty()) {
        return;
    }
    std::string lines;
    const std::string last = file.tail(1);
    if (last.empty()) {
        lines = line_with_end(codec.first_line());
    } else if (last != "\r" && last != "\n") {
        // A hand-edited file may lack its final line break; the records must not join that line.
        lines = kLineEnd;
    }
    for (const auto& password : passwords) {
        lines.append(codec.line_of(password)).append(kLineEnd);
    }
    file.write(lines);
    if (index != nullptr) {
        LockedReader reader(file);
        index->appended(reader, file.seal());
    }
}

std::string RecordsFile::contents() {
    return files_.read_all(path_);
}

void RecordsFile::for_each_record_line(const RecordCodec& codec,
                                       const std::function<void(std::string_view)>& line) {
    auto reading = files_.open_for_read(path_);
    bool first = true;
    bool last = false;
    auto each = [&](std::string_view piece, std::uint64_t) {
        // The first line is the marker line unless a hand edit put a record there.
        const bool marker = first && codec.is_marker(piece);
        first = false;
        if (!marker && !(last && piece.empty())) {
            line(piece);
        }
    };
    LineSplitter splitter;
    std::string chunk(kChunk, '\0');
    while (std::size_t got = reading->read(chunk.data(), chunk.size())) {
        splitter.feed(std::string_view(chunk.data(), got), each);
    }
    last = true;
    splitter.finish(each);
}

void RecordsFile::for_each_password(const RecordCodec& codec,
                                    const std::function<void(std::string_view)>& record) {
    for_each_record_line(codec, [&](std::string_view line) {
        if (!codec.is_private()) {
            record(line);
        } else if (auto password = codec.password_of(line)) {
            record(*password);
        }
    });
}

ListItems RecordsFile::list(platform::FileStamp* stamp) {
    for (int attempt = 0;; ++attempt) {
        auto reading = files_.open_for_read(path_);
        const platform::FileStamp opened = reading->stamp();
        if (stamp != nullptr) {
            *stamp = opened;
        }
        std::string first(kFirstLineBytes, '\0');
        first.resize(reading->read(first.data(), first.size()));
        first.resize(std::min(first.size(), first.find_first_of("\r\n")));
        if (!PrivateRecords::key_id_of(first)) {
            reading->seek(0);
            return ListItems::from_lines(platform::read_to_end(*reading), kFirstLine);
        }
        // Rows are read back from the file, in its bytes, and decrypted only as they are shown;
        // the file must be the one just read, not one put in its place meanwhile.
        auto stored = files_.open_as_stored(path_);
        if (stored->stamp() != opened && attempt < 3) {
            continue;
        }
        Codec form = keys_->codec_for(first);
        const std::string marker = form->first_line();
        return ListItems::from_file(std::move(stored), marker, std::move(form));
    }
}

// The rewrites begin the new version first, so a read-only file is refused as such, and then
// hold the file's lock until the new version is in place: appends wait for it and then go to
// the new file, so no record added meanwhile is lost with the old one.
void RecordsFile::delete_all() {
    auto replacement = files_.begin_replace(path_, platform::FileAccess::OwnerOnly);
    auto held = open_for_append();
    replacement->write(line_with_end(first_line_of(*held)));
    replacement->commit();
}

std::size_t RecordsFile::delete_matching(std::string_view text) {
    auto replacement = files_.begin_replace(path_, platform::FileAccess::OwnerOnly);
    auto held = open_for_append();
    const Codec form = codec(*held);
    Rewriter kept(*replacement);
    kept.line(form->first_line());
    std::size_t unreadable = 0;
    const auto may_match = form->may_equal_ignoring_case(text);
    for_each_record_line(*form, [&](std::string_view line) {
        if (line.empty()) {
            return;
        }
        if (!may_match(line)) {
            kept.line(line);
            return;
        }
        auto password = form->password_of(line);
        if (!password) {
            ++unreadable;
            kept.line(line);
        } else if (!password->empty() && !equal_ignoring_case(*password, text)) {
            kept.line(line);
        }
    });
    kept.commit();
    return unreadable;
}

std::size_t RecordsFile::convert(const Codec& to) {
    auto replacement = files_.begin_replace(path_, platform::FileAccess::OwnerOnly);
    auto held = open_for_append();
    const Codec from = codec(*held);
    if (from->first_line() == to->first_line()) {
        return 0;
    }
    Rewriter rewritten(*replacement);
    rewritten.line(to->first_line());
    std::size_t unreadable = 0;
    for_each_record_line(*from, [&](std::string_view line) {
        if (auto password = from->password_of(line)) {
            rewritten.line(to->line_of(*password));
        } else {
            ++unreadable;
            rewritten.line(line);
        }
    });
    rewritten.commit();
    return unreadable;
}

bool has_line(std::string_view text, std::string_view line) {
    bool found = false;
    for_each_line(text,
                  [&](std::string_view piece, std::uint64_t) { found = found || piece == line; });
    return found;
}

}  // namespace app
