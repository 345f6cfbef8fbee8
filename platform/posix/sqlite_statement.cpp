#include "platform/posix/sqlite_statement.h"

namespace platform::posix {

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

}  // namespace platform::posix
