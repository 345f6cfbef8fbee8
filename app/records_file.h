#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/list_items.h"
#include "app/record_codec.h"
#include "app/records_index.h"
#include "platform/file_system.h"

namespace app {

// The file "sifreler.dat": one record per line, each ended by CR LF, after a first line that says
// how the records lie (RecordCodec): "temppass" for plain records, or the key of private ones.
// Lines ended by a lone LF or CR (a file edited elsewhere) read the same; rewrites use CR LF.
class RecordsFile {
  public:
    static constexpr std::string_view kFileName = "sifreler.dat";
    static constexpr std::string_view kFirstLine = "temppass";
    static constexpr std::string_view kLineEnd = "\r\n";
    using Codec = std::shared_ptr<const RecordCodec>;

    // Without `keys`, private records are refused.
    RecordsFile(platform::FileSystem& files, std::string path,
                std::shared_ptr<RecordKeys> keys = {});

    const std::string& path() const { return path_; }
    RecordKeys& keys() const { return *keys_; }

    // The form of the records in the file `locked` holds, from its first line. Throws
    // RecordsKeyError when they are private and their key cannot be had.
    Codec codec(platform::AppendFile& locked) const;
    // The id of the key the file `locked` holds names when its records are private; needs no key.
    static std::optional<std::string> private_key_id(platform::AppendFile& locked);
    // `password` as the index looks for it: its line, as stored.
    std::string stored(const RecordCodec& codec, std::string_view password) const;

    // Creates the file holding only the first line when it is missing or empty. Never waits:
    // while another program holds the file's lock, the file exists.
    void make_sure_exists();

    // Opens the file for appending, and locks it. A missing file is created, and a missing or
    // empty one gets its first line, under the lock: two programs that both find it missing
    // never write over each other. With `wait` false, empty at once while someone else holds
    // the lock.
    std::unique_ptr<platform::AppendFile> open_for_append(bool wait = true);

    // Seals the file that `file` holds and indexes it as it then lies on disk, with room for
    // `room` more lines; for the candidates in `only` alone when it is given.
    static RecordsIndex index(platform::AppendFile& file, std::uint64_t room = 0,
                              std::shared_ptr<const RecordsIndex::Only> only = {});

    // True when a record of the file equals `candidate` exactly. An empty file holds none.
    bool is_on_record(std::string_view candidate);

    // Adds `password` as a new last line, and files it in `index` when there is one (an index
    // that cannot follow is left out of date).
    static void append(platform::AppendFile& file, const RecordCodec& codec,
                       std::string_view password, RecordsIndex* index = nullptr);
    // Adds the passwords in order, in one write.
    static void append_all(platform::AppendFile& file, const RecordCodec& codec,
                           const std::vector<std::string>& passwords,
                           RecordsIndex* index = nullptr);

    // The whole file as it is.
    std::string contents();

    // Calls `record(password)` for every record of the file, in file order; lines that do not
    // read as records of its form are passed over.
    void for_each_password(const RecordCodec& codec,
                           const std::function<void(std::string_view)>& record);

    // Every record, in file order; the empty piece after the last line break too. Plain records
    // leave out every "temppass" line. `stamp`, when given, receives the stamp of the file read.
    ListItems list(platform::FileStamp* stamp = nullptr);

    std::unique_ptr<platform::ReadFile> open_as_stored() { return files_.open_as_stored(path_); }
    platform::FileStamp stamp() { return files_.stamp(path_); }

    // Leaves only the first line. The file is replaced in one step, never left half-written.
    void delete_all();

    // Removes every record equal to `text` without regard to letter case, and blank lines. The
    // new file starts with its first line; a record that stood in its place stays, below it.
    // Lines that do not read as records are kept as they are; returns how many of those that
    // might have held `text` there were (a private file's other lines are not read back).
    std::size_t delete_matching(std::string_view text);

    // Rewrites every record into the form `to`, in one replacement under the lock, keeping their
    // order; nothing happens when the file has that form already. Lines that do not read as
    // records are kept as they are; returns how many there were.
    std::size_t convert(const Codec& to);

  private:
    // Streams every line of the file that is not its form's marker, the piece after the last
    // line break too when it is not empty, to `line`.
    void for_each_record_line(const RecordCodec& codec,
                              const std::function<void(std::string_view)>& line);

    platform::FileSystem& files_;
    std::string path_;
    std::shared_ptr<RecordKeys> keys_;
};

// True when a line of `text` equals `line`.
bool has_line(std::string_view text, std::string_view line);

}  // namespace app
