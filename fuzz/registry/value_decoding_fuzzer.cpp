// Feeds arbitrary stored values through the Linux store and cRegistry, and arbitrary Exec lines
// through the autostart decoding, checking that what comes out is what the sizes say.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/posix/desktop_entry.h"
#include "platform/posix/exec_quoting.h"
#include "platform/posix/sqlite_registry.h"
#include "platform/posix/xdg_autostart.h"
#include "registry/cregistry.h"

namespace {

namespace reg = platform::reg;

constexpr const char* kDatabase = "file:keymint-fuzz?mode=memory&cache=shared";
constexpr const char* kSection = "Software\\Fuzz";

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

class Program : public platform::ProgramInfo {
  public:
    std::string folder() const override { return "/opt/fuzz"; }
    std::string base_name() const override { return "keymint"; }
    char separator() const override { return '/'; }
    std::string user_data_folder() const override { return "/opt/fuzz"; }
};

struct World {
    World() : store(kDatabase) {
        sqlite3_open_v2(kDatabase, &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
        store.create_key(reg::kLocalMachine, kSection, 0, "", 0, reg::kAllKeyRights, nullptr, &key,
                         nullptr);
        char folder[] = "/tmp/keymint-fuzz-XXXXXX";
        autostart_folder = ::mkdtemp(folder);
    }
    ~World() {
        for (const char* name : {"/fuzz.desktop", "/copy.desktop"}) {
            ::unlink((autostart_folder + name).c_str());
        }
        ::rmdir(autostart_folder.c_str());
        sqlite3_close(raw);
    }

    platform::posix::SqliteRegistry store;
    sqlite3* raw = nullptr;
    reg::Key key = 0;
    Program program;
    std::string autostart_folder;
};

World& world() {
    static World instance;
    return instance;
}

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return size_ > 0 ? (--size_, *data_++) : 0; }
    std::uint32_t u32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = value << 8 | byte();
        }
        return value;
    }
    std::string rest() {
        std::string text(reinterpret_cast<const char*>(data_), size_);
        size_ = 0;
        return text;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// What cRegistry must give for a value of this type and these bytes.
void check_read(registry::cRegistry& object, std::uint32_t type, const std::string& bytes) {
    object.Default(std::string("default"));
    registry::Variant value = object.Value();
    check(object.ValueType() == static_cast<std::int32_t>(type), "ValueType is the stored type");
    switch (type) {
        case reg::kSz:
        case reg::kMultiSz: {
            const auto* text = std::get_if<std::string>(&value);
            check(text != nullptr, "a text type reads as text");
            check(*text == bytes.substr(0, bytes.empty() ? 0 : bytes.size() - 1),
                  "a text is the stored bytes without the last");
            break;
        }
        case reg::kExpandSz:
            check(std::holds_alternative<std::string>(value), "an expandable text reads as text");
            break;
        case reg::kDword:
        case reg::kDwordBigEndian: {
            const auto* number = std::get_if<std::int32_t>(&value);
            check(number != nullptr, "a DWORD reads as an integer");
            std::uint8_t first[4] = {};
            std::memcpy(first, bytes.data(), std::min<std::size_t>(bytes.size(), 4));
            std::uint32_t little = first[0] | first[1] << 8 | first[2] << 16 |
                                   static_cast<std::uint32_t>(first[3]) << 24;
            std::uint32_t big = static_cast<std::uint32_t>(first[0]) << 24 | first[1] << 16 |
                                first[2] << 8 | first[3];
            check(static_cast<std::uint32_t>(*number) == (type == reg::kDword ? little : big),
                  "a DWORD is its first four bytes");
            break;
        }
        default: {
            const auto* array = std::get_if<registry::ByteArray>(&value);
            check(array != nullptr, "other types read as bytes");
            check(array->size() == bytes.size() + 1 && array->back() == 0 &&
                      std::equal(bytes.begin(), bytes.end(), array->begin(),
                                 [](char stored, std::uint8_t read) {
                                     return static_cast<std::uint8_t>(stored) == read;
                                 }),
                  "bytes are the stored ones and a 0");
        }
    }
}

void stored_value(Input& input) {
    World& w = world();
    std::uint32_t type = input.u32();
    std::uint8_t buffer_size = input.byte();
    std::string bytes = input.rest();
    if (w.store.set_value(w.key, "v", 0, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                          static_cast<std::uint32_t>(bytes.size())) != reg::kSuccess) {
        return;
    }
    std::vector<std::uint8_t> out(buffer_size + 1u, 0xEE);
    std::uint32_t size = buffer_size;
    std::uint32_t got_type = 0;
    reg::Result result = w.store.query_value(w.key, "v", &got_type, out.data(), &size);
    check(got_type == type, "the query reports the type");
    check(size == bytes.size(), "the query reports the stored size");
    if (bytes.size() > buffer_size) {
        check(result == reg::kMoreData, "a short buffer gives ERROR_MORE_DATA");
    } else {
        check(result == reg::kSuccess && std::memcmp(out.data(), bytes.data(), bytes.size()) == 0,
              "a buffer that fits gets the bytes");
    }
    check(out[buffer_size] == 0xEE, "nothing is written past the buffer");

    registry::cRegistry object(w.store, w.program);
    object.ClassKey(registry::kHkeyLocalMachine);
    object.SectionKey(kSection);
    object.ValueKey("v");
    check_read(object, type, bytes);
}

void raw_row(Input& input) {
    World& w = world();
    w.store.set_value(w.key, "v", 0, reg::kSz, nullptr, 0);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(w.raw, "UPDATE vals SET type = ?1, data = ?2 WHERE name = 'v'", -1, &update,
                       nullptr);
    std::uint8_t kinds = input.byte();
    std::int64_t number = static_cast<std::int64_t>(input.u32()) << 32 | input.u32();
    std::string bytes = input.rest();
    for (int column = 1; column <= 2; ++column) {
        switch ((kinds >> (column * 2)) & 3) {
            case 0:
                sqlite3_bind_int64(update, column, number);
                break;
            case 1:
                sqlite3_bind_double(update, column, static_cast<double>(number) / 3);
                break;
            case 2:
                sqlite3_bind_text(update, column, bytes.data(), static_cast<int>(bytes.size()),
                                  SQLITE_TRANSIENT);
                break;
            default:
                sqlite3_bind_blob(update, column, bytes.data(), static_cast<int>(bytes.size()),
                                  SQLITE_TRANSIENT);
        }
    }
    sqlite3_step(update);
    sqlite3_finalize(update);

    registry::cRegistry object(w.store, w.program);
    object.ClassKey(registry::kHkeyLocalMachine);
    object.SectionKey(kSection);
    object.ValueKey("v");
    object.Default(std::string("default"));
    object.Value();
    std::vector<std::string> names;
    std::int32_t count = 0;
    object.EnumerateValues(names, count);
}

void exec_line(Input& input) {
    using namespace platform::posix;
    using platform::join_command_line;
    using platform::split_command_line;
    std::string exec = input.rest();
    auto arguments = arguments_from_exec(exec);
    if (!arguments) {
        return;
    }
    check(arguments_from_exec(exec_from_arguments(*arguments)) == *arguments,
          "an Exec line reads back as the arguments it was made from");
    check(split_command_line(join_command_line(*arguments)) == *arguments,
          "a command line splits into the arguments it was joined from");
}

void desktop_file(Input& input) {
    World& w = world();
    std::string contents = input.rest();
    { std::ofstream(w.autostart_folder + "/fuzz.desktop", std::ios::binary) << contents; }
    platform::posix::XdgAutostartFolder folder(w.autostart_folder);
    platform::posix::XdgAutostartFolder::Entry entry;
    // A command that is not UTF-8 is read as it stands but never written: no entry can hold it.
    if (folder.read("fuzz", &entry) == reg::kSuccess &&
        platform::posix::valid_utf8(entry.command_line)) {
        check(!entry.command_line.empty(), "a visible entry has a command");
        check(folder.write("copy", entry) == reg::kSuccess, "an entry read can be written");
        platform::posix::XdgAutostartFolder::Entry copy;
        check(folder.read("copy", &copy) == reg::kSuccess &&
                  copy.command_line == entry.command_line && copy.type == entry.type,
              "a written entry reads back the same");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    switch (input.byte() % 4) {
        case 0:
            stored_value(input);
            break;
        case 1:
            raw_row(input);
            break;
        case 2:
            exec_line(input);
            break;
        default:
            desktop_file(input);
    }
    return 0;
}
