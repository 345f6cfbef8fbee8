// Writes one key into an arbitrary INI file and reads it back, checking the shape of every file
// written and that a plain value reads back unchanged.
// Input: file content, section, key and value, separated by 0xFF bytes (never part of UTF-8).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "ini/ini_read.h"
#include "ini/ini_write.h"
#include "platform/posix/posix_file_system.h"

namespace {

// One folder for the whole run, so that an input costs no directory creation.
class RunFolder {
  public:
    RunFolder() {
        std::random_device entropy;
        do {
            path_ = std::filesystem::temp_directory_path() /
                    ("keymint-fuzz-ini-" + std::to_string(entropy()));
        } while (!std::filesystem::create_directory(path_));
    }
    ~RunFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const char* name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

struct Write {
    std::string content, section, key, value;
};

Write split(const std::uint8_t* data, std::size_t size) {
    Write write;
    std::string* parts[] = {&write.content, &write.section, &write.key, &write.value};
    std::size_t part = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && part < 3) {
            ++part;
        } else {
            parts[part]->push_back(static_cast<char>(data[i]));
        }
    }
    return write;
}

bool is_control(char c) {
    return static_cast<unsigned char>(c) <= '\r';
}

std::string without(std::string text, std::string_view bytes) {
    std::erase_if(text, [&](char c) { return bytes.find(c) != std::string_view::npos; });
    return text;
}

// The same write narrowed to what is meant to round-trip:
// - names without "[", "]", "=" or line ends, and not empty;
// - a value without "[" or line ends, and without control bytes at its end, which the writer
//   trims when the key's line is the last of the file;
// - content with CR LF line ends only: the writer knows no other, while the reader also ends a
//   line at a lone CR or LF, so with those the two can disagree about which line is a header;
// - content without control bytes at its start, which the writer trims, and which can turn a
//   line such as "\x01[s]" into a header standing before the one the writer used.
Write plain(const Write& raw) {
    Write write;
    write.section = without(raw.section, "[]=\r\n");
    write.key = without(raw.key, "[]=\r\n");
    if (write.section.empty()) {
        write.section = "s";
    }
    if (write.key.empty()) {
        write.key = "k";
    }
    write.value = without(raw.value, "[\r\n");
    while (!write.value.empty() && is_control(write.value.back())) {
        write.value.pop_back();
    }
    const std::string& in = raw.content;
    std::size_t i = std::find_if_not(in.begin(), in.end(), is_control) - in.begin();
    for (; i < in.size(); ++i) {
        if (in[i] == '\r' || in[i] == '\n') {
            write.content += "\r\n";
            if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') {
                ++i;
            }
        } else {
            write.content += in[i];
        }
    }
    return write;
}

void check(bool holds, const char* invariant) {
    if (!holds) {
        std::fprintf(stderr, "fuzz_ini: violated: %s\n", invariant);
        std::abort();
    }
}

// Returns what ReadIni then finds under the same section and key.
std::string write_and_read(platform::FileSystem& files, const std::string& path, const Write& w) {
    files.create(path, w.content, platform::FileAccess::Normal);
    ini::WriteIni(files, path, w.section, w.key, w.value);
    const std::string written = files.read_all(path);

    // The writer trims every control byte at both ends, not only line ends, and always writes at
    // least the key's "=", so these hold in their strong form.
    check(!written.empty() && !is_control(written.front()), "starts with a blank line");
    check(written.find("\r\n\r\n\r\n") == std::string::npos, "two blank lines in a row");
    check(written.size() >= 3 && written.ends_with("\r\n") &&
              !is_control(written[written.size() - 3]),
          "does not end with exactly one CR LF");

    const std::string read = ini::ReadIni(files, path, w.section, w.key);
    check(read.find_first_of("[\r\n") == std::string::npos, "value read holds [ or a line end");
    return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static RunFolder folder;
    static const std::string path = folder.file("fuzz.ini");
    static platform::posix::PosixFileSystem files;

    try {
        const Write raw = split(data, size);
        write_and_read(files, path, raw);
        const Write narrowed = plain(raw);
        check(write_and_read(files, path, narrowed) == narrowed.value,
              "plain value does not read back unchanged");
    } catch (const platform::FileError& error) {
        std::fprintf(stderr, "fuzz_ini: %s\n", error.what());
        std::abort();
    }
    return 0;
}
