#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/list_items.h"
#include "app/records_index.h"
#include "platform/file_system.h"

namespace app {

// The file "sifreler.dat": one password per line, each ended by CR LF, the first line "temppass".
// Lines ended by a lone LF or CR (a file edited elsewhere) read the same; rewrites use CR LF.
class RecordsFile {
  public:
    static constexpr std::string_view kFileName = "sifreler.dat";
    static constexpr std::string_view kFirstLine = "temppass";
    static constexpr std::string_view kLineEnd = "\r\n";

    RecordsFile(platform::FileSystem& files, std::string path);

    const std::string& path() const { return path_; }

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

    // True when a line of the file equals `candidate` exactly. An empty file holds no lines.
    bool is_on_record(std::string_view candidate);

    // Adds `password` as a new last line, and files it in `index` when there is one (an index
    // that cannot follow is left out of date).
    static void append(platform::AppendFile& file, std::string_view password,
                       RecordsIndex* index = nullptr);
    // Adds lines that each end with CR LF already, in one write.
    static void append_lines(platform::AppendFile& file, std::string_view lines,
                             RecordsIndex* index = nullptr);

    // The whole file as it is.
    std::string contents();

    // Every line but "temppass", in file order; the empty piece after the last line break too.
    // `stamp`, when given, receives the stamp of the file that was read.
    ListItems list(platform::FileStamp* stamp = nullptr);

    std::unique_ptr<platform::ReadFile> open_as_stored() { return files_.open_as_stored(path_); }
    std::unique_ptr<platform::ReadFile> open_for_read() { return files_.open_for_read(path_); }
    std::string as_stored(std::string_view text) { return files_.as_stored(text); }
    platform::FileStamp stamp() { return files_.stamp(path_); }

    // Leaves only the first line. The file is replaced in one step, never left half-written.
    void delete_all();

    // Removes every record equal to `text` without regard to letter case, and blank lines. The
    // new file starts with "temppass"; a record that stood in its place stays, below it.
    void delete_matching(std::string_view text);

  private:
    static std::string first_line();

    platform::FileSystem& files_;
    std::string path_;
};

// True when a line of `text` equals `line`.
bool has_line(std::string_view text, std::string_view line);

}  // namespace app
