#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// No keyring answers, or it stayed locked, or it refused: what() is a plain sentence naming what
// is missing.
class KeyStoreError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Where the desktop keeps the user's secrets: the Secret Service on Linux (gnome-keyring,
// KWallet, KeePassXC), DPAPI on Windows. A key is found again by the id it was kept under.
class KeyStore {
  public:
    virtual ~KeyStore() = default;
    // The key kept under `id`; nothing when none is. Throws KeyStoreError.
    virtual std::optional<std::string> find(const std::string& id) = 0;
    // Keeps `key` under `id`, in place of any key kept under it before. `label` is what the
    // keyring's own window shows. Throws KeyStoreError.
    virtual void keep(const std::string& id, std::string_view key, const std::string& label) = 0;
};

}  // namespace platform
