#pragma once

#include "platform/crypto.h"

namespace platform::win32 {

// Windows' own Cryptography API: Next Generation (bcrypt.dll).
class CngCrypto : public Crypto {
  public:
    std::unique_ptr<Mac> hmac_sha256(std::string_view key) const override;
    std::unique_ptr<Aead> aes_256_gcm(std::string_view key) const override;
};

}  // namespace platform::win32
