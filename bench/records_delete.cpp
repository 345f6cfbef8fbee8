// Our selective delete as a small program of its own, timed against grep -vixF, sync and mv, and
// over private records against itself over the same records in plain form. A private file's key
// comes from an in-memory keyring holding the benchmark's key. With no arguments it only starts
// and ends, which gives its memory at rest.
#include <cstdio>
#include <memory>

#include "app/records_file.h"
#include "bench_keys.h"
#include "platform/posix/openssl_crypto.h"
#include "platform/posix/posix_file_system.h"

int main(int argc, char** argv) {
    if (argc == 1) {
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s [FILE TEXT]\n", argv[0]);
        return 2;
    }
    try {
        platform::posix::PosixFileSystem files;
        platform::posix::OpenSslCrypto crypto;
        bench::MemoryKeyStore store(crypto);
        auto keys = std::make_shared<app::RecordKeys>(&crypto, &store);
        app::RecordsFile(files, argv[1], keys).delete_matching(argv[2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
