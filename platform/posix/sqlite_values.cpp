// The values of the keys in the SQLite registry store, and the listings of keys and values.
#include <sqlite3.h>

#include "platform/posix/registry_answers.h"
#include "platform/posix/sqlite_registry.h"
#include "platform/posix/sqlite_statement.h"

namespace platform::posix {

namespace {

constexpr std::size_t kMaxValueNameLength = 16383;

}  // namespace

template <typename Bind>
reg::Result SqliteRegistry::change_value(reg::Key key, std::string_view name, const char* sql,
                                         bool must_exist, Bind bind) {
    std::int64_t id = 0;
    if (reg::Result found = handle_key(key, reg::kSetValue, &id); found != reg::kSuccess) {
        return found;
    }
    Transaction transaction(db_);
    if (transaction.begun() != SQLITE_OK) {
        return fail(transaction.begun());
    }
    Statement change(db_, sql);
    if (change.prepared() != SQLITE_OK) {
        return fail(change.prepared());
    }
    change.bind(1, id).bind(2, name);
    bind(change);
    int code = change.step();
    if (code != SQLITE_DONE) {
        return fail(code);
    }
    if (must_exist && sqlite3_changes(db_) == 0) {
        return reg::kFileNotFound;
    }
    if (code = transaction.commit(); code != SQLITE_OK) {
        return fail(code);
    }
    return reg::kSuccess;
}

template <typename Answer>
reg::Result SqliteRegistry::listed_row(reg::Key key, std::uint32_t needed, const char* sql,
                                       std::uint32_t index, Answer answer) {
    std::int64_t id = 0;
    if (reg::Result found = handle_key(key, needed, &id); found != reg::kSuccess) {
        return found;
    }
    Statement select(db_, sql);
    int row = select.prepared();
    if (row == SQLITE_OK) {
        row = select.bind(1, id).bind(2, static_cast<std::int64_t>(index)).step();
    }
    if (row != SQLITE_ROW) {
        return row == SQLITE_DONE ? reg::kNoMoreItems : fail(row);
    }
    return answer(select);
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
    // An overwritten value keeps its place and the spelling of its name, as on Windows.
    const char* sql =
        "INSERT INTO vals (key, name, type, data) VALUES (?1, ?2, ?3, ?4) "
        "ON CONFLICT (key, name) DO UPDATE SET type = excluded.type, data = excluded.data";
    return change_value(key, name, sql, false,
                        [&](Statement& upsert) { upsert.bind(3, type).bind_blob(4, data, size); });
}

reg::Result SqliteRegistry::delete_value(reg::Key key, std::string_view name) {
    return change_value(key, name, "DELETE FROM vals WHERE key = ?1 AND name = ?2", true,
                        [](Statement&) {});
}

reg::Result SqliteRegistry::enum_value(reg::Key key, std::uint32_t index, char* name,
                                       std::uint32_t* name_size, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* data_size) {
    if (name == nullptr || name_size == nullptr) {
        return reg::kInvalidParameter;
    }
    const char* sql =
        "SELECT CAST(name AS BLOB), type, data FROM vals WHERE key = ?1 "
        "ORDER BY seq LIMIT 1 OFFSET ?2";
    return listed_row(key, reg::kQueryValue, sql, index, [&](Statement& select) {
        std::string_view found_name = select.bytes(0);
        if (reg::Result copied = copy_name(found_name, name, *name_size); copied != reg::kSuccess) {
            return copied;
        }
        *name_size = static_cast<std::uint32_t>(found_name.size());
        if (select.column_type(1) != SQLITE_INTEGER) {
            return reg::kBadDb;
        }
        return answer_query(static_cast<std::uint32_t>(select.integer(1) & 0xFFFFFFFF),
                            select.bytes(2), type, data, data_size);
    });
}

reg::Result SqliteRegistry::enum_key(reg::Key key, std::uint32_t index, char* name,
                                     std::uint32_t name_size) {
    if (name == nullptr) {
        return reg::kInvalidParameter;
    }
    // Windows lists sub-keys sorted by their upper-case names.
    const char* sql =
        "SELECT CAST(name AS BLOB) FROM keys WHERE parent = ?1 "
        "ORDER BY upper(name), name LIMIT 1 OFFSET ?2";
    return listed_row(key, reg::kEnumerateSubKeys, sql, index, [&](Statement& select) {
        return copy_name(select.bytes(0), name, name_size);
    });
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
    std::string text = describe_result(result);
    constexpr std::string_view kSubject = "The settings database";
    if (text.starts_with(kSubject)) {
        text.insert(kSubject.size(), " \"" + database_ + "\"");
    }
    return text;
}

}  // namespace platform::posix
