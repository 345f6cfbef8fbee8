#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// The system's cryptography library refused or failed an operation; what() says which.
class CryptoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// HMAC-SHA-256 under one key.
class Mac {
  public:
    virtual ~Mac() = default;
    // The 32-byte tag of `data`. Safe to call from several threads at once.
    virtual std::string tag(std::string_view data) const = 0;
};

// AES-256-GCM under one key, with 12-byte nonces and no additional data.
class Aead {
  public:
    virtual ~Aead() = default;
    static constexpr std::size_t kNonceBytes = 12;
    static constexpr std::size_t kTagBytes = 16;
    // The ciphertext followed by the 16-byte tag. Safe to call from several threads at once.
    virtual std::string seal(std::string_view nonce, std::string_view plaintext) const = 0;
    // The plaintext; nothing when `sealed` was not made by seal with this key and nonce.
    virtual std::optional<std::string> open(std::string_view nonce,
                                            std::string_view sealed) const = 0;
};

// The primitives of private records, from the platform's own well-kept library (OpenSSL's
// libcrypto on Linux, CNG on Windows). Keys are raw bytes: 32 for AES-256, any length for HMAC.
class Crypto {
  public:
    virtual ~Crypto() = default;
    virtual std::unique_ptr<Mac> hmac_sha256(std::string_view key) const = 0;
    virtual std::unique_ptr<Aead> aes_256_gcm(std::string_view key) const = 0;
};

}  // namespace platform
