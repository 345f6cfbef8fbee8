#include "app/private_records.h"

namespace app {
namespace {

std::optional<std::string> key_id_on_file(RecordsFile& records) {
    auto locked = records.open_for_append();
    return RecordsFile::private_key_id(*locked);
}

}  // namespace

bool records_are_private(RecordsFile& records) {
    return key_id_on_file(records).has_value();
}

std::optional<PrivateOn> turn_private_on(RecordsFile& records, platform::RandomSource& random) {
    if (key_id_on_file(records)) {
        return std::nullopt;
    }
    std::string master;
    auto codec = records.keys().make_key(random, master);
    PrivateOn done;
    done.recovery_code = recovery_code(records.keys().crypto(), master);
    std::fill(master.begin(), master.end(), '\0');
    done.unreadable = records.convert(codec);
    return done;
}

std::optional<std::size_t> turn_private_off(RecordsFile& records) {
    if (!key_id_on_file(records)) {
        return std::nullopt;
    }
    return records.convert(std::make_shared<const PlainRecords>());
}

void recover_key(RecordsFile& records, std::string_view code) {
    auto id = key_id_on_file(records);
    if (!id) {
        throw RecordsKeyError("The records here are not private, so there is no key to put back.");
    }
    records.keys().recover(code, *id);
}

}  // namespace app
