#pragma once

#include "platform/key_store.h"

namespace platform::posix {

// The desktop's Secret Service over D-Bus (libsecret): gnome-keyring, KWallet, KeePassXC. A
// locked keyring asks the desktop to unlock it, which may show a prompt: call it off the
// window's thread.
class SecretServiceKeyStore : public KeyStore {
  public:
    std::optional<std::string> find(const std::string& id) override;
    void keep(const std::string& id, std::string_view key, const std::string& label) override;
};

}  // namespace platform::posix
