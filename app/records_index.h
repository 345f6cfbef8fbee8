#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/line_splitter.h"
#include "platform/file_system.h"

namespace app {

// The hash the index files a record under.
std::uint64_t record_hash(std::string_view line);

// Which lines a records file holds, so that a candidate is looked up without reading the file:
// per line one 8-byte slot holding where the line starts and a few bits of its hash, at most
// two slots per line when built. A hit is confirmed by reading the line back, so an answer is
// never wrong; comparison is byte for byte, as for a scan of the file. It works in the bytes on
// disk: files opened with FileSystem::open_as_stored, candidates in FileSystem::as_stored form.
class RecordsIndex {
  public:
    // Reads the whole file once, in chunks.
    static RecordsIndex build(platform::ReadFile& file);

    // Brings the index up to date with `file`, reading what was appended since. False when the
    // file was changed in any other way (replaced, truncated, rewritten, or grew by more than
    // kLargestTail), or when the index is full: then only a new build gives right answers.
    bool catch_up(platform::ReadFile& file);

    // True when a line of the file equals `candidate`, which is not empty. The index must be
    // caught up with `file`.
    bool contains(std::string_view candidate, platform::ReadFile& file) const;

    std::size_t lines() const { return count_; }
    std::size_t memory_bytes() const { return slots_.capacity() * sizeof(std::uint64_t); }

    // An append by another program larger than this is left to a new build, off the window.
    static constexpr std::uint64_t kLargestTail = 1 << 20;

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
    platform::FileStamp stamp_;
    // The last bytes read, to tell an append from a rewrite.
    std::string last_bytes_;
};

}  // namespace app
