#pragma once

#include "platform/crypto.h"

namespace platform::posix {

// OpenSSL 3's libcrypto.
class OpenSslCrypto : public Crypto {
  public:
    std::unique_ptr<Mac> hmac_sha256(std::string_view key) const override;
    std::unique_ptr<Aead> aes_256_gcm(std::string_view key) const override;
};

}  // namespace platform::posix
