#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "app/record_codec.h"
#include "platform/key_store.h"

namespace bench {

// The master key of every private records file the benchmark writes: fixed, so that a child
// process finds the key of a file its parent made.
inline std::string master_key() {
    std::string key(app::PrivateRecords::kKeyBytes, '\0');
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<char>(i * 37 + 11);
    }
    return key;
}

// A keyring in memory holding master_key() from the start, and whatever is kept in it later, as
// the desktop's keyring holds them: in hex, under their id.
class MemoryKeyStore : public platform::KeyStore {
  public:
    explicit MemoryKeyStore(const platform::Crypto& crypto) {
        const std::string master = master_key();
        kept_[app::PrivateRecords::key_id(crypto, master)] = app::to_hex(master);
    }
    std::optional<std::string> find(const std::string& id) override {
        auto kept = kept_.find(id);
        return kept == kept_.end() ? std::nullopt : std::optional<std::string>(kept->second);
    }
    void keep(const std::string& id, std::string_view key, const std::string&) override {
        kept_[id] = std::string(key);
    }

  private:
    std::map<std::string, std::string> kept_;
};

}  // namespace bench
