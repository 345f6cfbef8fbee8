#pragma once

// The SQLite statements and transactions of the registry store. Internal to platform/posix.

#include <sqlite3.h>

#include <cstdint>
#include <string_view>

#include "platform/registry.h"

namespace platform::posix {

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

reg::Result from_sqlite(int code);

}  // namespace platform::posix
