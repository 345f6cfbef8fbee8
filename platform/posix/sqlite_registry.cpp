#include "platform/posix/sqlite_registry.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/posix/registry_answers.h"

namespace platform::posix {

namespace {

constexpr int kSchemaVersion = 1;
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

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

// A prepared statement that finalizes itself.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql) {
        code_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int prepared() const { return code_; }
    Statement& bind(int index, std::int64_t value) {
        sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    Statement& bind(int index, std::string_view text) {
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind_blob(int index, const std::uint8_t* data, std::uint32_t size) {
        // A zero-length blob still has to be a blob, not NULL.
        static const std::uint8_t empty = 0;
        sqlite3_bind_blob(stmt_, index, size ? data : &empty, static_cast<int>(size),
                          SQLITE_TRANSIENT);
        return *this;
    }
    int step() { return sqlite3_step(stmt_); }
    std::int64_t integer(int column) { return sqlite3_column_int64(stmt_, column); }
    int column_type(int column) { return sqlite3_column_type(stmt_, column); }
    std::string_view bytes(int column) {
        const void* blob = sqlite3_column_blob(stmt_, column);
        int length = sqlite3_column_bytes(stmt_, column);
        if (blob == nullptr || length <= 0) {
            return {};
        }
        return {static_cast<const char*>(blob), static_cast<std::size_t>(length)};
    }

  private:
    sqlite3_stmt* stmt_ = nullptr;
    int code_ = SQLITE_OK;
};

// A write transaction taken at once, so that two writers wait for each other instead of
// deadlocking on a lock upgrade. Rolled back unless committed.
class Transaction {
  public:
    explicit Transaction(sqlite3* db) : db_(db) {
        code_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    }
    ~Transaction() {
        if (code_ == SQLITE_OK && !done_) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    int begun() const { return code_; }
    int commit() {
        int code = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        done_ = code == SQLITE_OK;
        return code;
    }

  private:
    sqlite3* db_;
    int code_;
    bool done_ = false;
};

reg::Result from_sqlite(int code) {
    switch (code & 0xFF) {
        case SQLITE_OK:
        case SQLITE_ROW:
        case SQLITE_DONE:
            return reg::kSuccess;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return reg::kLockViolation;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_FORMAT:
        case SQLITE_SCHEMA:
            return reg::kBadDb;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return reg::kAccessDenied;
        case SQLITE_FULL:
            return reg::kDiskFull;
        case SQLITE_CANTOPEN:
            return reg::kCantOpen;
        case SQLITE_CONSTRAINT:
            return reg::kKeyDeleted;
        default:
            return reg::kRegistryIoFailed;
    }
}

reg::Result make_folders(const std::string& file) {
    for (std::size_t slash = file.find('/', 1); slash != std::string::npos;
         slash = file.find('/', slash + 1)) {
        std::string folder = file.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            return errno == EACCES || errno == EPERM ? reg::kAccessDenied
                   : errno == EROFS                  ? reg::kWriteProtect
                                                     : reg::kCantOpen;
        }
    }
    return reg::kSuccess;
}

// Steps to row `index` of a listing of the key `id`: SQLITE_ROW, SQLITE_DONE past the last
// row, or the code that failed.
int nth_row(Statement& select, std::int64_t id, std::uint32_t index) {
    if (select.prepared() != SQLITE_OK) {
        return select.prepared();
    }
    return select.bind(1, id).bind(2, static_cast<std::int64_t>(index)).step();
}

}  // namespace

reg::Result answer_query(std::uint32_t stored_type, std::string_view stored, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size) {
    if (data != nullptr && size == nullptr) {
        return reg::kInvalidParameter;
    }
    if (stored.size() > UINT32_MAX) {
        return reg::kBadDb;
    }
    auto needed = static_cast<std::uint32_t>(stored.size());
    if (type != nullptr) {
        *type = stored_type;
    }
    if (size == nullptr) {
        return reg::kSuccess;
    }
    if (data != nullptr) {
        if (*size < needed) {
            *size = needed;
            return reg::kMoreData;
        }
        if (needed > 0) {
            std::memcpy(data, stored.data(), needed);
        }
    }
    *size = needed;
    return reg::kSuccess;
}

std::uint32_t expand_environment(std::string_view source, char* destination, std::uint32_t size) {
    // Follows Windows: %NAME% of a defined variable is replaced; anything else, including "%%"
    // and an unknown or unterminated reference, is copied as it stands.
    std::string out;
    std::size_t at = 0;
    while (at < source.size()) {
        std::size_t percent = source.find('%', at);
        if (percent == std::string_view::npos) {
            out.append(source.substr(at));
            break;
        }
        out.append(source.substr(at, percent - at));
        std::size_t end = source.find('%', percent + 1);
        if (end == std::string_view::npos) {
            out.append(source.substr(percent));
            break;
        }
        std::string name(source.substr(percent + 1, end - percent - 1));
        const char* value = name.empty() || name.find('=') != std::string::npos
                                ? nullptr
                                : std::getenv(name.c_str());
        if (value != nullptr) {
            out.append(value);
        } else {
            out.append(source.substr(percent, end - percent + 1));
        }
        at = end + 1;
    }
    if (out.size() >= UINT32_MAX) {
        return 0;
    }
    auto needed = static_cast<std::uint32_t>(out.size() + 1);
    if (destination != nullptr && size >= needed) {
        std::memcpy(destination, out.c_str(), needed);
    }
    return needed;
}

reg::Result split_key_path(std::string_view path, std::vector<std::string>* parts) {
    parts->clear();
    if (!path.empty() && path.front() == '\\') {
        return reg::kBadPathname;
    }
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t slash = path.find('\\', at);
        if (slash == std::string_view::npos) {
            slash = path.size();
        }
        std::string_view part = path.substr(at, slash - at);
        if (part.size() > kMaxKeyNameLength) {
            return reg::kInvalidParameter;
        }
        if (!part.empty()) {
            parts->emplace_back(part);
        }
        at = slash + 1;
    }
    return reg::kSuccess;
}

std::string describe_result(reg::Result result) {
    switch (result) {
        case reg::kSuccess:
            return "The operation completed successfully.";
        case reg::kFileNotFound:
            return "The system cannot find the file specified.";
        case reg::kAccessDenied:
            return "Access is denied.";
        case reg::kInvalidHandle:
            return "The handle is invalid.";
        case reg::kInvalidData:
            return "The data is invalid.";
        case reg::kWriteProtect:
            return "The media is write protected.";
        case reg::kLockViolation:
            return "The settings database is locked by another process.";
        case reg::kInvalidParameter:
            return "The parameter is incorrect.";
        case reg::kDiskFull:
            return "There is not enough space on the disk.";
        case reg::kInvalidName:
            return "The file name, directory name, or volume label syntax is incorrect.";
        case reg::kBadPathname:
            return "The specified path is invalid.";
        case reg::kMoreData:
            return "More data is available.";
        case reg::kNoMoreItems:
            return "No more data is available.";
        case reg::kBadDb:
            return "The settings database is damaged.";
        case reg::kCantOpen:
            return "The settings database could not be opened.";
        case reg::kCantRead:
        case reg::kCantWrite:
        case reg::kRegistryIoFailed:
            return "The settings database could not be read or written.";
        case reg::kKeyDeleted:
            return "The key has been deleted.";
        default:
            return "Error " + std::to_string(result) + ".";
    }
}

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
        if (reg::Result made = make_folders(database_); made != reg::kSuccess) {
            return made;
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

reg::Result SqliteRegistry::query_value(reg::Key key, std::string_view name, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
    std::int64_t id = 0;
    if (reg::Result found = handle_key(key, reg::kQueryValue, &id); found != reg::kSuccess) {
        return found;
    }
    Statement select(db_, "SELECT type, data FROM vals WHERE key = ?1 AND name = ?2");
    if (select.prepared() != SQLITE_OK) {
        return fail(select.prepared());
    }
    int code = select.bind(1, id).bind(2, name).step();
    if (code == SQLITE_DONE) {
        return reg::kFileNotFound;
    }
    if (code != SQLITE_ROW) {
        return fail(code);
    }
    // Rows written by something else than this class may hold any storage class.
    if (select.column_type(0) != SQLITE_INTEGER ||
        (select.column_type(1) != SQLITE_BLOB && select.column_type(1) != SQLITE_TEXT)) {
        return reg::kBadDb;
    }
    auto stored_type = static_cast<std::uint32_t>(select.integer(0) & 0xFFFFFFFF);
    return answer_query(stored_type, select.bytes(1), type, data, size);
}

reg::Result SqliteRegistry::set_value(reg::Key key, std::string_view name,
                                      std::uint32_t /*reserved*/, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
    if (name.size() > kMaxValueNameLength) {
        return reg::kInvalidParameter;
    }
    if (data == nullptr && size > 0) {
        return reg::kNoAccess;
    }
    std::int64_t id = 0;
    if (reg::Result found = handle_key(key, reg::kSetValue, &id); found != reg::kSuccess) {
        return found;
    }
    Transaction transaction(db_);
    if (transaction.begun() != SQLITE_OK) {
        return fail(transaction.begun());
    }
    // An overwritten value keeps its place and the spelling of its name, as on Windows.
    Statement upsert(db_,
                     "INSERT INTO vals (key, name, type, data) VALUES (?1, ?2, ?3, ?4) "
                     "ON CONFLICT (key, name) DO UPDATE SET type = excluded.type, "
                     "data = excluded.data");
    if (upsert.prepared() != SQLITE_OK) {
        return fail(upsert.prepared());
    }
    int code = upsert.bind(1, id).bind(2, name).bind(3, type).bind_blob(4, data, size).step();
    if (code != SQLITE_DONE) {
        return fail(code);
    }
    if (code = transaction.commit(); code != SQLITE_OK) {
        return fail(code);
    }
    return reg::kSuccess;
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

reg::Result SqliteRegistry::delete_value(reg::Key key, std::string_view name) {
    std::int64_t id = 0;
    if (reg::Result found = handle_key(key, reg::kSetValue, &id); found != reg::kSuccess) {
        return found;
    }
    Transaction transaction(db_);
    if (transaction.begun() != SQLITE_OK) {
        return fail(transaction.begun());
    }
    Statement remove(db_, "DELETE FROM vals WHERE key = ?1 AND name = ?2");
    if (remove.prepared() != SQLITE_OK) {
        return fail(remove.prepared());
    }
    int code = remove.bind(1, id).bind(2, name).step();
    if (code != SQLITE_DONE) {
        return fail(code);
    }
    if (sqlite3_changes(db_) == 0) {
        return reg::kFileNotFound;
    }
    if (code = transaction.commit(); code != SQLITE_OK) {
        return fail(code);
    }
    return reg::kSuccess;
}

reg::Result SqliteRegistry::enum_value(reg::Key key, std::uint32_t index, char* name,
                                       std::uint32_t* name_size, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* data_size) {
    if (name == nullptr || name_size == nullptr) {
        return reg::kInvalidParameter;
    }
    std::int64_t id = 0;
    if (reg::Result found = handle_key(key, reg::kQueryValue, &id); found != reg::kSuccess) {
        return found;
    }
    Statement select(db_,
                     "SELECT CAST(name AS BLOB), type, data FROM vals WHERE key = ?1 "
                     "ORDER BY seq LIMIT 1 OFFSET ?2");
    if (int row = nth_row(select, id, index); row != SQLITE_ROW) {
        return row == SQLITE_DONE ? reg::kNoMoreItems : fail(row);
    }
    std::string_view found_name = select.bytes(0);
    if (reg::Result copied = copy_name(found_name, name, *name_size); copied != reg::kSuccess) {
        return copied;
    }
    *name_size = static_cast<std::uint32_t>(found_name.size());
    if (select.column_type(1) != SQLITE_INTEGER) {
        return reg::kBadDb;
    }
    return answer_query(static_cast<std::uint32_t>(select.integer(1) & 0xFFFFFFFF), select.bytes(2),
                        type, data, data_size);
}

reg::Result SqliteRegistry::enum_key(reg::Key key, std::uint32_t index, char* name,
                                     std::uint32_t name_size) {
    if (name == nullptr) {
        return reg::kInvalidParameter;
    }
    std::int64_t id = 0;
    if (reg::Result found = handle_key(key, reg::kEnumerateSubKeys, &id); found != reg::kSuccess) {
        return found;
    }
    // Windows lists sub-keys sorted by their upper-case names.
    Statement select(db_,
                     "SELECT CAST(name AS BLOB) FROM keys WHERE parent = ?1 "
                     "ORDER BY upper(name), name LIMIT 1 OFFSET ?2");
    if (int row = nth_row(select, id, index); row != SQLITE_ROW) {
        return row == SQLITE_DONE ? reg::kNoMoreItems : fail(row);
    }
    return copy_name(select.bytes(0), name, name_size);
}

reg::Result SqliteRegistry::query_info_key(reg::Key key, char* class_name,
                                           std::uint32_t* class_size, reg::KeyInfo* info) {
    if (class_name != nullptr && class_size == nullptr) {
        return reg::kInvalidParameter;
    }
    std::int64_t id = 0;
    if (reg::Result found = handle_key(key, reg::kQueryValue, &id); found != reg::kSuccess) {
        return found;
    }
    Statement keys(db_,
                   "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0) "
                   "FROM keys WHERE parent = ?1");
    Statement vals(db_,
                   "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0), "
                   "coalesce(max(length(data)), 0) FROM vals WHERE key = ?1");
    if (keys.prepared() != SQLITE_OK || vals.prepared() != SQLITE_OK) {
        return fail(keys.prepared() != SQLITE_OK ? keys.prepared() : vals.prepared());
    }
    int code = keys.bind(1, id).step();
    if (code != SQLITE_ROW) {
        return fail(code);
    }
    if (code = vals.bind(1, id).step(); code != SQLITE_ROW) {
        return fail(code);
    }
    // Keys carry no class here: the class is always the empty text.
    if (reg::Result answered = answer_empty_class(class_name, class_size);
        answered != reg::kSuccess) {
        return answered;
    }
    if (info != nullptr) {
        info->sub_keys = static_cast<std::uint32_t>(keys.integer(0));
        info->max_sub_key_length = static_cast<std::uint32_t>(keys.integer(1));
        info->max_class_length = 0;
        info->values = static_cast<std::uint32_t>(vals.integer(0));
        info->max_value_name_length = static_cast<std::uint32_t>(vals.integer(1));
        info->max_value_length = static_cast<std::uint32_t>(vals.integer(2));
    }
    return reg::kSuccess;
}

std::uint32_t SqliteRegistry::expand_environment_strings(std::string_view source, char* destination,
                                                         std::uint32_t size) {
    return expand_environment(source, destination, size);
}

std::string SqliteRegistry::describe(reg::Result result) {
    return describe_result(result);
}

}  // namespace platform::posix
