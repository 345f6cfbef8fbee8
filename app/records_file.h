#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/list_items.h"
#include "platform/file_system.h"

namespace app {

// The file "sifreler.dat": one password per line, each ended by CR LF, the first line "temppass".
class RecordsFile {
  public:
    static constexpr std::string_view kFileName = "sifreler.dat";
    static constexpr std::string_view kFirstLine = "temppass";
    static constexpr std::string_view kLineEnd = "\r\n";

    RecordsFile(platform::FileSystem& files, std::string path);

    const std::string& path() const { return path_; }

    // Creates the file holding only the first line when it is missing.
    void make_sure_exists();

    // Opens the file for appending, re-creating it first when it has gone missing.
    std::unique_ptr<platform::AppendFile> open_for_append();

    // True when a line of the file equals `candidate` exactly. An empty file holds no lines.
    bool is_on_record(std::string_view candidate);

    // Adds `password` as a new last line.
    static void append(platform::AppendFile& file, std::string_view password);
    // Adds lines that each end with CR LF already.
    static void append_lines(platform::AppendFile& file, std::string_view lines);

    // The whole file as it is.
    std::string contents();

    // Every line but "temppass", in file order; the empty piece after the last line break too.
    ListItems list();

    // Leaves only the first line. The file is replaced in one step, never left half-written.
    void delete_all();

    // Removes every record equal to `text` without regard to letter case, and blank lines; the
    // first line becomes "temppass" whatever it was.
    void delete_matching(std::string_view text);

  private:
    platform::FileSystem& files_;
    std::string path_;
};

// True when `text`, split at every CR LF, has a piece equal to `line`.
bool has_line(std::string_view text, std::string_view line);

}  // namespace app
