#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

struct sqlite3;

namespace platform::posix {

// The registry kept in one SQLite database. Key and value names compare without regard to
// ASCII case; every change is one IMMEDIATE transaction, so several processes can share the
// file. HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\Software\Classes, as writes to it are on Windows.
// A database that cannot be opened, is locked for longer than the busy timeout or is damaged
// makes the calls fail with a result code; nothing is repaired or thrown away.
class SqliteRegistry : public Registry {
  public:
    // `database` is a file path (its folder is created, owner-only) or an SQLite "file:" URI.
    // A lock held longer than `busy_timeout_ms` fails the call: the window must not freeze.
    explicit SqliteRegistry(std::string database, int busy_timeout_ms = 1000);
    ~SqliteRegistry() override;
    SqliteRegistry(const SqliteRegistry&) = delete;
    SqliteRegistry& operator=(const SqliteRegistry&) = delete;

    // `config_home`/keymint/registry.db
    static std::string database_in(const std::string& config_home);

    reg::Result open_key(reg::Key key, std::string_view sub_key, std::uint32_t options,
                         std::uint32_t access, reg::Key* result) override;
    reg::Result create_key(reg::Key key, std::string_view sub_key, std::uint32_t reserved,
                           std::string_view class_name, std::uint32_t options, std::uint32_t access,
                           const reg::SecurityAttributes* security, reg::Key* result,
                           std::uint32_t* disposition) override;
    reg::Result close_key(reg::Key key) override;
    reg::Result query_value(reg::Key key, std::string_view name, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* size) override;
    reg::Result set_value(reg::Key key, std::string_view name, std::uint32_t reserved,
                          std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) override;
    reg::Result delete_key(reg::Key key, std::string_view sub_key) override;
    reg::Result delete_value(reg::Key key, std::string_view name) override;
    reg::Result enum_value(reg::Key key, std::uint32_t index, char* name, std::uint32_t* name_size,
                           std::uint32_t* type, std::uint8_t* data,
                           std::uint32_t* data_size) override;
    reg::Result enum_key(reg::Key key, std::uint32_t index, char* name,
                         std::uint32_t name_size) override;
    reg::Result query_info_key(reg::Key key, char* class_name, std::uint32_t* class_size,
                               reg::KeyInfo* info) override;
    std::uint32_t expand_environment_strings(std::string_view source, char* destination,
                                             std::uint32_t size) override;
    std::string describe(reg::Result result) override;

  private:
    struct OpenKey {
        std::int64_t id;
        std::uint32_t access;
    };
    // Where a path starts: a key row and the path parts the root itself stands for.
    struct Base {
        std::int64_t id = 0;
        std::uint32_t access = 0;
        bool is_root = false;
        std::vector<std::string> parts;
    };

    reg::Result connect();
    int check_schema();
    int create_schema();
    void disconnect();
    reg::Result resolve(reg::Key key, Base* base);
    // `key` and then the parts of `sub_key`, which is split before anything is read.
    reg::Result resolve(reg::Key key, std::string_view sub_key, Base* base);
    reg::Result handle_key(reg::Key key, std::uint32_t needed, std::int64_t* id);
    reg::Result find_child(std::int64_t parent, const std::string& name, std::int64_t* id);
    reg::Result walk(std::int64_t from, const std::vector<std::string>& parts, std::int64_t* id);
    reg::Result fail(int sqlite_code);
    // Runs `sql` on the value `name` of the key `key` in a transaction of its own: ?1 is the
    // key, ?2 the name, `bind` binds the rest. With `must_exist`, a change of no row is
    // kFileNotFound.
    template <typename Bind>
    reg::Result change_value(reg::Key key, std::string_view name, const char* sql, bool must_exist,
                             Bind bind);
    // Row `index` of the listing `sql` of the key `key` (opened with `needed` rights), handed
    // to `answer`; kNoMoreItems past the last row.
    template <typename Answer>
    reg::Result listed_row(reg::Key key, std::uint32_t needed, const char* sql, std::uint32_t index,
                           Answer answer);
    reg::Key add_handle(std::int64_t id, std::uint32_t access);

    std::string database_;
    int busy_timeout_ms_;
    sqlite3* db_ = nullptr;
    bool stale_ = false;
    std::map<reg::Key, OpenKey> handles_;
    reg::Key next_handle_ = 0x1000;
};

}  // namespace platform::posix
