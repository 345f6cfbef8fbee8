// The index built from the file, against one read of it that hashes every line; and private
// records turned on.
#include <memory>

#include "app/private_records.h"
#include "app/records_index.h"
#include "bench_children.h"
#include "bench_keys.h"
#include "bench_support.h"
#include "platform/posix/openssl_crypto.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_random_source.h"

namespace bench {

int index_child(const std::string& path, bool reference) {
    platform::posix::PosixFileSystem files;
    const double before = status_mb("VmRSS");
    reset_peak_memory();
    auto start = Clock::now();
    std::size_t lines = 0;
    std::uint64_t sum = 0;
    if (reference) {
        // One pass: read a chunk, hash each line in it.
        auto file = files.open_for_read(path);
        std::string chunk(1 << 20, '\0');
        std::string carry;
        while (std::size_t got = file->read(chunk.data(), chunk.size())) {
            std::string_view rest(chunk.data(), got);
            for (auto end = rest.find_first_of("\r\n"); end != std::string_view::npos;
                 end = rest.find_first_of("\r\n")) {
                carry.append(rest.substr(0, end));
                sum += app::record_hash(carry);
                ++lines;
                carry.clear();
                rest.remove_prefix(end + (rest.substr(end, 2) == "\r\n" ? 2 : 1));
            }
            carry.append(rest);
        }
        report("build", {milliseconds_since(start)});
        report("peak", {status_mb("VmHWM") - before});
    } else {
        auto file = files.open_for_read(path);
        app::RecordsIndex index = app::RecordsIndex::build(*file);
        report("build", {milliseconds_since(start)});
        lines = index.lines();
        report("peak", {status_mb("VmHWM") - before});
        report("kept", {status_mb("VmRSS") - before});
        report("bytes_per_line", {static_cast<double>(index.memory_bytes()) / lines});
    }
    return sum == 42 && lines == 0;  // keeps the hashing from being optimised away
}

int private_on_child(const std::string& path) {
    platform::posix::PosixFileSystem files;
    platform::posix::PosixRandomSource random;
    platform::posix::OpenSslCrypto crypto;
    MemoryKeyStore store(crypto);
    app::RecordsFile records(files, path, std::make_shared<app::RecordKeys>(&crypto, &store));
    const double before = status_mb("VmRSS");
    reset_peak_memory();
    auto start = Clock::now();
    const auto done = app::turn_private_on(records, random);
    report("on", {milliseconds_since(start)});
    report("peak", {status_mb("VmHWM") - before});
    return done && app::records_are_private(records) ? 0 : 1;
}

}  // namespace bench
