#include "app/records_index.h"

#include <algorithm>
#include <cstring>

namespace app {
namespace {

constexpr int kOffsetBits = 40;
constexpr std::uint64_t kOffsetMask = (std::uint64_t{1} << kOffsetBits) - 1;
constexpr std::size_t kMinimumCapacity = 1024;
// Linear probing stays short up to here; a fuller table is rebuilt at twice the lines.
constexpr std::size_t kMaxLoadPercent = 85;
constexpr std::size_t kChunk = 1 << 20;
// Lines hashed and prefetched together, so that the table's cache misses overlap.
constexpr std::size_t kBatch = 16;
// The bitmap in front of a candidates-only index's sorted hashes: most lines stop there.
constexpr std::size_t kFilterBits = 1 << 20;

std::uint64_t fingerprint(std::uint64_t hash) {
    return (hash & 0x7FFFFF) | 0x800000;
}

// Just under two slots per line: at most 16 bytes per line once built, and room for appends.
std::size_t capacity_for(double lines) {
    return std::max(kMinimumCapacity, static_cast<std::size_t>(lines * 1.9) + 64);
}

}  // namespace

std::uint64_t record_hash(std::string_view line) {
    std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ line.size();
    const char* at = line.data();
    std::size_t left = line.size();
    std::uint64_t word;
    for (; left >= 8; at += 8, left -= 8) {
        std::memcpy(&word, at, 8);
        hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
        hash ^= hash >> 32;
    }
    word = 0;
    std::memcpy(&word, at, left);
    hash = (hash ^ word) * 0xC4CEB9FE1A85EC53ull;
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    return hash;
}

std::size_t LockedReader::read(char* buffer, std::size_t count) {
    const std::size_t got = file_.read_as_stored(position_, buffer, count);
    position_ += got;
    return got;
}

RecordsIndex::Only::Only(const std::vector<std::string>& candidates) : bits_(kFilterBits / 64, 0) {
    for (const auto& candidate : candidates) {
        const std::uint64_t hash = record_hash(candidate);
        hashes_.push_back(hash);
        bits_[(hash >> 6) % bits_.size()] |= std::uint64_t{1} << (hash & 63);
    }
    std::sort(hashes_.begin(), hashes_.end());
}

bool RecordsIndex::Only::may_hold(std::uint64_t hash) const {
    return (bits_[(hash >> 6) % bits_.size()] >> (hash & 63) & 1) != 0 &&
           std::binary_search(hashes_.begin(), hashes_.end(), hash);
}

RecordsIndex RecordsIndex::build(platform::ReadFile& file,
                                 std::optional<platform::FileStamp> sealed, std::uint64_t room,
                                 std::shared_ptr<const Only> only) {
    if (only) {
        // Reads the file once; only the few lines that may be candidates are filed.
        for (std::size_t capacity = capacity_for(only->size());; capacity *= 2) {
            RecordsIndex index(capacity);
            index.only_ = only;
            file.seek(0);
            if (index.read_from(file, file.stamp().size)) {
                index.sealed_ = sealed;
                return index;
            }
        }
    }
    const platform::FileStamp stamp = file.stamp();
    // The first chunk's lines tell roughly how many the file holds.
    std::string sample(std::min<std::uint64_t>(stamp.size, kChunk), '\0');
    sample.resize(platform::read_fully(file, sample.data(), sample.size()));
    std::size_t sample_lines = 0;
    for_each_line(sample, [&](std::string_view, std::uint64_t) { ++sample_lines; });
    double per_byte = sample.empty() ? 0 : static_cast<double>(sample_lines) / sample.size();
    std::size_t capacity = capacity_for(per_byte * stamp.size + room);
    for (;;) {
        RecordsIndex index(capacity);
        file.seek(0);
        const bool fitted = index.read_from(file, stamp.size);
        const std::uint64_t read = std::max<std::uint64_t>(index.splitter_.position(), 1);
        if (!fitted) {
            capacity = capacity_for(1.2 * index.count_ * std::max(stamp.size, read) / read + room);
            continue;
        }
        // A guess too high costs memory for good: count again at the size the file needs.
        if (capacity > std::max(kMinimumCapacity, 2 * (index.count_ + room) + 64)) {
            capacity = capacity_for(index.count_ + room);
            continue;
        }
        index.sealed_ = sealed;
        return index;
    }
}

bool RecordsIndex::read_from(platform::ReadFile& file, std::uint64_t known_size) {
    std::string chunk(std::min<std::uint64_t>(std::max<std::uint64_t>(known_size, 64), kChunk),
                      '\0');
    while (const std::size_t got = file.read(chunk.data(), chunk.size())) {
        if (!add(std::string_view(chunk.data(), got))) {
            return false;
        }
    }
    return true;
}

bool RecordsIndex::add(std::string_view bytes) {
    std::uint64_t hashes[kBatch];
    std::uint64_t starts[kBatch];
    std::size_t batched = 0;
    bool fits = true;
    auto flush = [&] {
        for (std::size_t i = 0; i < batched; ++i) {
            __builtin_prefetch(&slots_[home(hashes[i])]);
        }
        for (std::size_t i = 0; i < batched && fits; ++i) {
            fits = insert(hashes[i], starts[i]);
        }
        batched = 0;
    };
    splitter_.feed(bytes, [&](std::string_view line, std::uint64_t start) {
        if (line.empty()) {
            return;  // a candidate is never empty
        }
        if (start > kOffsetMask) {
            throw platform::FileError("The records file is too large to index.");
        }
        const std::uint64_t hash = record_hash(line);
        if (only_ && !only_->may_hold(hash)) {
            return;
        }
        hashes[batched] = hash;
        starts[batched] = start;
        if (++batched == kBatch) {
            flush();
        }
    });
    flush();
    return fits;
}

bool RecordsIndex::insert(std::uint64_t hash, std::uint64_t start) {
    if ((count_ + 1) * 100 > slots_.size() * kMaxLoadPercent) {
        return false;
    }
    std::size_t at = home(hash);
    while (slots_[at] != 0) {
        at = at + 1 == slots_.size() ? 0 : at + 1;
    }
    slots_[at] = fingerprint(hash) << kOffsetBits | start;
    ++count_;
    return true;
}

std::size_t RecordsIndex::home(std::uint64_t hash) const {
    return static_cast<std::size_t>((static_cast<unsigned __int128>(hash) * slots_.size()) >> 64);
}

bool RecordsIndex::up_to_date(platform::ReadFile& file) const {
    return sealed_ && file.stamp() == *sealed_;
}

bool RecordsIndex::appended(platform::ReadFile& file, std::optional<platform::FileStamp> sealed) {
    const std::uint64_t from = splitter_.position();
    sealed_.reset();
    if (!sealed || sealed->size < from) {
        return false;
    }
    std::string bytes(static_cast<std::size_t>(sealed->size - from), '\0');
    file.seek(from);
    if (platform::read_fully(file, bytes.data(), bytes.size()) != bytes.size() || !add(bytes)) {
        return false;
    }
    sealed_ = sealed;
    return true;
}

bool RecordsIndex::contains(std::string_view candidate, platform::ReadFile& file) const {
    if (candidate.empty()) {
        return false;
    }
    if (splitter_.unfinished() == candidate) {
        return true;
    }
    const std::uint64_t hash = record_hash(candidate);
    const std::uint64_t wanted = fingerprint(hash);
    std::string line(candidate.size() + 1, '\0');
    for (std::size_t at = home(hash); slots_[at] != 0; at = at + 1 == slots_.size() ? 0 : at + 1) {
        if (slots_[at] >> kOffsetBits != wanted) {
            continue;
        }
        file.seek(slots_[at] & kOffsetMask);
        if (platform::read_fully(file, line.data(), line.size()) == line.size() &&
            std::string_view(line).substr(0, candidate.size()) == candidate &&
            (line.back() == '\r' || line.back() == '\n')) {
            return true;
        }
    }
    return false;
}

}  // namespace app
