#include <sqlite3.h>

#include <cerrno>
#include <utility>

#include "platform/posix/file_io.h"
#include "platform/posix/registry_answers.h"
#include "platform/posix/sqlite_registry.h"
#include "platform/posix/sqlite_statement.h"

namespace platform::posix {

namespace {

constexpr int kSchemaVersion = 1;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys (
    id INTEGER PRIMARY KEY,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL COLLATE NOCASE,
    UNIQUE (parent, name)
);
CREATE TABLE IF NOT EXISTS vals (
    seq INTEGER PRIMARY KEY,
    key INTEGER NOT NULL REFERENCES keys (id) ON DELETE CASCADE,
    name TEXT NOT NULL COLLATE NOCASE,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE (key, name)
);
INSERT OR IGNORE INTO keys (id, parent, name) VALUES
    (2, 0, 'HKEY_CURRENT_USER'), (3, 0, 'HKEY_LOCAL_MACHINE'), (4, 0, 'HKEY_USERS'),
    (5, 0, 'HKEY_PERFORMANCE_DATA'), (6, 0, 'HKEY_CURRENT_CONFIG'), (7, 0, 'HKEY_DYN_DATA');
)sql";

// Keys every Windows installation has; the Run keys are where autostart entries go.
constexpr const char* kSeededKeys[] = {
    "Software\\Classes",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
};

constexpr std::int64_t kLocalMachineId = 3;

std::int64_t root_row(reg::Key key) {
    return static_cast<std::int64_t>(key - 0x80000000) + 1;
}

}  // namespace

SqliteRegistry::SqliteRegistry(std::string database, int busy_timeout_ms)
    : database_(std::move(database)), busy_timeout_ms_(busy_timeout_ms) {}

SqliteRegistry::~SqliteRegistry() {
    disconnect();
}

std::string SqliteRegistry::database_in(const std::string& config_home) {
    return config_home + "/keymint/registry.db";
}

void SqliteRegistry::disconnect() {
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

reg::Result SqliteRegistry::fail(int sqlite_code) {
    reg::Result result = from_sqlite(sqlite_code);
    // A damaged file may be replaced by a good one later; the next call starts afresh then.
    if (result == reg::kBadDb) {
        stale_ = true;
    }
    return result;
}

reg::Result SqliteRegistry::connect() {
    if (stale_) {
        disconnect();
        stale_ = false;
    }
    if (db_ != nullptr) {
        return reg::kSuccess;
    }
    bool is_uri = database_.rfind("file:", 0) == 0;
    if (!is_uri && database_ != ":memory:") {
        if (int error = make_folders(folder_of(database_), 0700); error != 0) {
            return error == EACCES || error == EPERM ? reg::kAccessDenied
                   : error == EROFS                  ? reg::kWriteProtect
                                                     : reg::kCantOpen;
        }
    }
    int code =
        sqlite3_open_v2(database_.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
    if (code != SQLITE_OK) {
        disconnect();
        return from_sqlite(code);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busy_timeout_ms_);

    // WAL lets readers go on while another process writes. It can be refused (a locked file, a
    // file system without shared memory); the rollback journal is then just as safe, only slower.
    sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "PRAGMA foreign_keys=ON", nullptr, nullptr, nullptr);

    if (code = check_schema(); code != SQLITE_OK) {
        // Try the whole connection again on the next call.
        stale_ = true;
        return from_sqlite(code);
    }
    return reg::kSuccess;
}

int SqliteRegistry::check_schema() {
    int code = SQLITE_OK;
    {
        Statement version(db_, "PRAGMA user_version");
        if (version.prepared() != SQLITE_OK) {
            return version.prepared();
        }
        if (code = version.step(); code != SQLITE_ROW) {
            return code;
        }
        if (version.integer(0) >= kSchemaVersion) {
            return SQLITE_OK;
        }
    }
    return create_schema();
}

int SqliteRegistry::create_schema() {
    Transaction transaction(db_);
    if (transaction.begun() != SQLITE_OK) {
        return transaction.begun();
    }
    int code = sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr);
    for (const char* path : kSeededKeys) {
        std::vector<std::string> parts;
        split_key_path(path, &parts);
        std::int64_t parent = kLocalMachineId;
        for (const std::string& part : parts) {
            if (code != SQLITE_OK) {
                break;
            }
            Statement insert(db_,
                             "INSERT INTO keys (parent, name) VALUES (?1, ?2) "
                             "ON CONFLICT (parent, name) DO UPDATE SET parent = parent "
                             "RETURNING id");
            insert.bind(1, parent).bind(2, part);
            code = insert.prepared();
            if (code == SQLITE_OK) {
                code = insert.step();
                code = code == SQLITE_ROW ? SQLITE_OK : code;
                parent = insert.integer(0);
            }
        }
    }
    if (code == SQLITE_OK) {
        code = sqlite3_exec(db_, "PRAGMA user_version = 1", nullptr, nullptr, nullptr);
    }
    if (code == SQLITE_OK) {
        code = transaction.commit();
    }
    return code;
}

reg::Key SqliteRegistry::add_handle(std::int64_t id, std::uint32_t access) {
    reg::Key handle = next_handle_;
    next_handle_ += 4;
    handles_[handle] = OpenKey{id, access};
    return handle;
}

reg::Result SqliteRegistry::find_child(std::int64_t parent, const std::string& name,
                                       std::int64_t* id) {
    Statement find(db_, "SELECT id FROM keys WHERE parent = ?1 AND name = ?2");
    if (find.prepared() != SQLITE_OK) {
        return fail(find.prepared());
    }
    int code = find.bind(1, parent).bind(2, name).step();
    if (code == SQLITE_ROW) {
        *id = find.integer(0);
        return reg::kSuccess;
    }
    return code == SQLITE_DONE ? reg::kFileNotFound : fail(code);
}

reg::Result SqliteRegistry::walk(std::int64_t from, const std::vector<std::string>& parts,
                                 std::int64_t* id) {
    std::int64_t at = from;
    for (const std::string& part : parts) {
        if (reg::Result found = find_child(at, part, &at); found != reg::kSuccess) {
            return found;
        }
    }
    *id = at;
    return reg::kSuccess;
}

reg::Result SqliteRegistry::resolve(reg::Key key, Base* base) {
    if (reg::Result connected = connect(); connected != reg::kSuccess) {
        return connected;
    }
    if (is_root(key)) {
        base->is_root = true;
        base->access = reg::kAllKeyRights;
        if (key == reg::kClassesRoot) {
            base->id = kLocalMachineId;
            base->parts = {"Software", "Classes"};
        } else {
            base->id = root_row(key);
        }
        return reg::kSuccess;
    }
    auto open = handles_.find(key);
    if (open == handles_.end()) {
        return reg::kInvalidHandle;
    }
    Statement exists(db_, "SELECT 1 FROM keys WHERE id = ?1");
    if (exists.prepared() != SQLITE_OK) {
        return fail(exists.prepared());
    }
    int code = exists.bind(1, open->second.id).step();
    if (code == SQLITE_DONE) {
        return reg::kKeyDeleted;
    }
    if (code != SQLITE_ROW) {
        return fail(code);
    }
    base->id = open->second.id;
    base->access = open->second.access;
    return reg::kSuccess;
}

reg::Result SqliteRegistry::resolve(reg::Key key, std::string_view sub_key, Base* base) {
    std::vector<std::string> parts;
    if (reg::Result split = split_key_path(sub_key, &parts); split != reg::kSuccess) {
        return split;
    }
    if (reg::Result resolved = resolve(key, base); resolved != reg::kSuccess) {
        return resolved;
    }
    base->parts.insert(base->parts.end(), parts.begin(), parts.end());
    return reg::kSuccess;
}

reg::Result SqliteRegistry::handle_key(reg::Key key, std::uint32_t needed, std::int64_t* id) {
    Base base;
    if (reg::Result resolved = resolve(key, &base); resolved != reg::kSuccess) {
        return resolved;
    }
    if ((base.access & needed) != needed) {
        return reg::kAccessDenied;
    }
    return walk(base.id, base.parts, id);
}

reg::Result SqliteRegistry::open_key(reg::Key key, std::string_view sub_key,
                                     std::uint32_t /*options*/, std::uint32_t access,
                                     reg::Key* result) {
    if (result == nullptr) {
        return reg::kInvalidParameter;
    }
    Base base;
    if (reg::Result resolved = resolve(key, sub_key, &base); resolved != reg::kSuccess) {
        return resolved;
    }
    std::int64_t id = 0;
    if (reg::Result found = walk(base.id, base.parts, &id); found != reg::kSuccess) {
        return found;
    }
    *result = add_handle(id, access);
    return reg::kSuccess;
}

reg::Result SqliteRegistry::create_key(reg::Key key, std::string_view sub_key,
                                       std::uint32_t /*reserved*/, std::string_view /*class_name*/,
                                       std::uint32_t /*options*/, std::uint32_t access,
                                       const reg::SecurityAttributes* /*security*/,
                                       reg::Key* result, std::uint32_t* disposition) {
    if (result == nullptr) {
        return reg::kInvalidParameter;
    }
    Base base;
    if (reg::Result resolved = resolve(key, sub_key, &base); resolved != reg::kSuccess) {
        return resolved;
    }

    Transaction transaction(db_);
    if (transaction.begun() != SQLITE_OK) {
        return fail(transaction.begun());
    }
    std::int64_t at = base.id;
    bool created = false;
    for (std::size_t i = 0; i < base.parts.size(); ++i) {
        reg::Result found = find_child(at, base.parts[i], &at);
        if (found == reg::kSuccess) {
            continue;
        }
        if (found != reg::kFileNotFound) {
            return found;
        }
        if (!base.is_root && (base.access & reg::kCreateSubKey) == 0 && !created) {
            return reg::kAccessDenied;
        }
        Statement insert(db_, "INSERT INTO keys (parent, name) VALUES (?1, ?2)");
        if (insert.prepared() != SQLITE_OK) {
            return fail(insert.prepared());
        }
        int code = insert.bind(1, at).bind(2, base.parts[i]).step();
        if (code != SQLITE_DONE) {
            return fail(code);
        }
        at = sqlite3_last_insert_rowid(db_);
        created = true;
    }
    if (int code = transaction.commit(); code != SQLITE_OK) {
        return fail(code);
    }
    if (disposition != nullptr) {
        *disposition = created ? reg::kCreatedNewKey : reg::kOpenedExistingKey;
    }
    *result = add_handle(at, access);
    return reg::kSuccess;
}

reg::Result SqliteRegistry::close_key(reg::Key key) {
    if (is_root(key)) {
        return reg::kSuccess;
    }
    return handles_.erase(key) == 1 ? reg::kSuccess : reg::kInvalidHandle;
}
reg::Result SqliteRegistry::delete_key(reg::Key key, std::string_view sub_key) {
    Base base;
    if (reg::Result resolved = resolve(key, sub_key, &base); resolved != reg::kSuccess) {
        return resolved;
    }
    // A root itself cannot be deleted; only an empty sub-key names no part below it.
    if (base.is_root && sub_key.empty()) {
        return reg::kAccessDenied;
    }

    Transaction transaction(db_);
    if (transaction.begun() != SQLITE_OK) {
        return fail(transaction.begun());
    }
    std::int64_t id = 0;
    if (reg::Result found = walk(base.id, base.parts, &id); found != reg::kSuccess) {
        return found;
    }
    Statement children(db_, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    if (children.prepared() != SQLITE_OK) {
        return fail(children.prepared());
    }
    int code = children.bind(1, id).step();
    if (code == SQLITE_ROW) {
        return reg::kAccessDenied;
    }
    if (code != SQLITE_DONE) {
        return fail(code);
    }
    for (const char* sql : {"DELETE FROM vals WHERE key = ?1", "DELETE FROM keys WHERE id = ?1"}) {
        Statement remove(db_, sql);
        if (remove.prepared() != SQLITE_OK) {
            return fail(remove.prepared());
        }
        if (code = remove.bind(1, id).step(); code != SQLITE_DONE) {
            return fail(code);
        }
    }
    if (code = transaction.commit(); code != SQLITE_OK) {
        return fail(code);
    }
    return reg::kSuccess;
}
}  // namespace platform::posix
