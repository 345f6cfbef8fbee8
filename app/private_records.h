#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/records_file.h"
#include "platform/random_source.h"

namespace app {

struct PrivateOn {
    std::string recovery_code;   // shown once: the only way back to the records without the keyring
    std::size_t unreadable = 0;  // lines kept as they were
};

// Makes a new key, keeps it in the desktop's keyring and rewrites the records with it; nothing
// when they are private already. Throws RecordsKeyError (no keyring) and FileError; a failure
// leaves the file as it was.
std::optional<PrivateOn> turn_private_on(RecordsFile& records, platform::RandomSource& random);

// Rewrites private records as plain ones, with the key from the keyring; nothing when they are
// plain already, else the number of lines kept as they were. Throws as turn_private_on does.
std::optional<std::size_t> turn_private_off(RecordsFile& records);

// Puts the key a recovery code holds back into the keyring, when it is the key of the records.
// Throws RecordsKeyError and FileError.
void recover_key(RecordsFile& records, std::string_view code);

// Whether the records file says its records are private; a missing file is plain.
bool records_are_private(RecordsFile& records);

}  // namespace app
