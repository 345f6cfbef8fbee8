#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/line_splitter.h"
#include "platform/file_system.h"

namespace app {

// The hash the index files a record under.
std::uint64_t record_hash(std::string_view line);

// Reads a file held open for appending (and locked) through that same handle.
class LockedReader : public platform::ReadFile {
  public:
    explicit LockedReader(platform::AppendFile& file) : file_(file) {}
    std::size_t read(char* buffer, std::size_t count) override;
    void seek(std::uint64_t offset) override { position_ = offset; }
    platform::FileStamp stamp() override { return file_.stamp(); }

  private:
    platform::AppendFile& file_;
    std::uint64_t position_ = 0;
};

// Which lines a records file holds, so that a candidate is looked up without reading the file:
// per line one 8-byte slot holding where the line starts and a few bits of its hash, at most
// two slots per line when built. A hit is confirmed by reading the line back, so an answer is
// never wrong; comparison is byte for byte, as for a scan of the file. It works in the bytes on
// disk: files opened with FileSystem::open_as_stored, candidates in FileSystem::as_stored form.
//
// The index follows only changes it was told of. It trusts the file to be as it was read while
// the file's stamp is the one that sealing it (AppendFile::seal) gave just before the read or
// after the index's own append; any other change, by anyone, gives the file another stamp.
class RecordsIndex {
  public:
    // The candidates an index is built for, when it is built for a few only: it then files only
    // the lines that may equal one of them, and knows nothing of any other text.
    class Only {
      public:
        explicit Only(const std::vector<std::string>& candidates);
        bool may_hold(std::uint64_t hash) const;
        std::size_t size() const { return hashes_.size(); }

      private:
        std::vector<std::uint64_t> hashes_;  // sorted
        std::vector<std::uint64_t> bits_;
    };

    // Reads the whole file once, in chunks, with room for `room` more lines. `sealed` is the
    // stamp the file was sealed with just before; without it the index is never up to date.
    static RecordsIndex build(platform::ReadFile& file,
                              std::optional<platform::FileStamp> sealed = {},
                              std::uint64_t room = 0, std::shared_ptr<const Only> only = {});

    // True when nobody changed the file since it was read or last appended to through
    // `appended`: only then are the answers of `contains` right.
    bool up_to_date(platform::ReadFile& file) const;

    // Files the lines appended since the index was last up to date, reading them back from
    // `file`; `sealed` is the stamp sealing gave the file after the append. False when the index
    // is not up to date afterwards (no seal, or the table is full): then a new build is needed.
    bool appended(platform::ReadFile& file, std::optional<platform::FileStamp> sealed);

    // True when a line of the file equals `candidate`, which is not empty. The index must be
    // up to date with `file`.
    bool contains(std::string_view candidate, platform::ReadFile& file) const;

    std::size_t lines() const { return count_; }
    std::size_t memory_bytes() const { return slots_.capacity() * sizeof(std::uint64_t); }

  private:
    explicit RecordsIndex(std::size_t capacity) : slots_(capacity, 0) {}
    // Reads from the current position to the end; false when the table fills up.
    bool read_from(platform::ReadFile& file, std::uint64_t known_size);
    // Files the lines of the file's next `bytes`; false when the table fills up.
    bool add(std::string_view bytes);
    // Files one line under its hash; false when the table is full.
    bool insert(std::uint64_t hash, std::uint64_t start);
    std::size_t home(std::uint64_t hash) const;

    std::vector<std::uint64_t> slots_;
    std::size_t count_ = 0;
    LineSplitter splitter_;
    std::optional<platform::FileStamp> sealed_;
    std::shared_ptr<const Only> only_;
};

}  // namespace app
