#include "platform/win32/cng_crypto.h"

#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <mutex>

namespace platform::win32 {
namespace {

constexpr NTSTATUS kAuthTagMismatch = static_cast<NTSTATUS>(0xC000A002L);

[[noreturn]] void fail(const char* what, NTSTATUS status) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(status));
    throw CryptoError(std::string(what) + " (status " + code + ").");
}

PUCHAR bytes(std::string_view text) {
    // CNG takes no const input pointers but never writes through them.
    static UCHAR none = 0;
    return text.empty() ? &none : reinterpret_cast<PUCHAR>(const_cast<char*>(text.data()));
}

ULONG length(std::string_view text) {
    if (text.size() > ULONG_MAX) {
        throw CryptoError("A record is too long to encrypt.");
    }
    return static_cast<ULONG>(text.size());
}

class Algorithm {
  public:
    Algorithm(LPCWSTR name, ULONG flags) {
        NTSTATUS status = ::BCryptOpenAlgorithmProvider(&handle_, name, nullptr, flags);
        if (status < 0) {
            fail("Windows could not open its cryptography provider", status);
        }
    }
    ~Algorithm() { ::BCryptCloseAlgorithmProvider(handle_, 0); }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

  private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class CngMac : public Mac {
  public:
    explicit CngMac(std::string_view key)
        : algorithm_(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG), key_(key) {}
    ~CngMac() override { ::SecureZeroMemory(key_.data(), key_.size()); }

    // A hash object per call: the provider's handle may be shared between threads, a hash's not.
    std::string tag(std::string_view data) const override {
        BCRYPT_HASH_HANDLE hash = nullptr;
        NTSTATUS status =
            ::BCryptCreateHash(algorithm_.get(), &hash, nullptr, 0, bytes(key_), length(key_), 0);
        if (status < 0) {
            fail("Windows could not start an HMAC-SHA-256", status);
        }
        std::string out(32, '\0');
        do {
            const auto chunk = data.substr(0, std::min<std::size_t>(data.size(), 1u << 30));
            status = ::BCryptHashData(hash, bytes(chunk), length(chunk), 0);
            data.remove_prefix(chunk.size());
        } while (status >= 0 && !data.empty());
        if (status >= 0) {
            status = ::BCryptFinishHash(hash, reinterpret_cast<PUCHAR>(out.data()), length(out), 0);
        }
        ::BCryptDestroyHash(hash);
        if (status < 0) {
            fail("Windows could not compute an HMAC-SHA-256", status);
        }
        return out;
    }

  private:
    Algorithm algorithm_;
    std::string key_;
};

class CngAead : public Aead {
  public:
    explicit CngAead(std::string_view key) : algorithm_(BCRYPT_AES_ALGORITHM, 0) {
        if (key.size() != 32) {
            throw CryptoError("An AES-256 key has 32 bytes.");
        }
        const std::wstring_view mode = BCRYPT_CHAIN_MODE_GCM;
        NTSTATUS status =
            ::BCryptSetProperty(algorithm_.get(), BCRYPT_CHAINING_MODE,
                                reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(mode.data())),
                                static_cast<ULONG>((mode.size() + 1) * sizeof(wchar_t)), 0);
        if (status >= 0) {
            status = ::BCryptGenerateSymmetricKey(algorithm_.get(), &key_, nullptr, 0, bytes(key),
                                                  length(key), 0);
        }
        if (status < 0) {
            fail("Windows could not start AES-256-GCM", status);
        }
    }
    ~CngAead() override { ::BCryptDestroyKey(key_); }

    std::string seal(std::string_view nonce, std::string_view plaintext) const override {
        if (nonce.size() != kNonceBytes) {
            throw CryptoError("An AES-GCM nonce here has 12 bytes.");
        }
        std::string out(plaintext.size() + kTagBytes, '\0');
        auto* at = reinterpret_cast<PUCHAR>(out.data());
        auto info = mode_info(nonce, at + plaintext.size());
        ULONG written = 0;
        NTSTATUS status;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            status = ::BCryptEncrypt(key_, bytes(plaintext), length(plaintext), &info, nullptr, 0,
                                     at, length(plaintext), &written, 0);
        }
        if (status < 0) {
            fail("Windows could not encrypt a record", status);
        }
        return out;
    }

    std::optional<std::string> open(std::string_view nonce,
                                    std::string_view sealed) const override {
        if (nonce.size() != kNonceBytes || sealed.size() < kTagBytes) {
            return std::nullopt;
        }
        const std::size_t size = sealed.size() - kTagBytes;
        std::string tag(sealed.substr(size));
        std::string out(size, '\0');
        auto info = mode_info(nonce, reinterpret_cast<PUCHAR>(tag.data()));
        ULONG written = 0;
        NTSTATUS status;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            status =
                ::BCryptDecrypt(key_, bytes(sealed.substr(0, size)), length(out), &info, nullptr, 0,
                                reinterpret_cast<PUCHAR>(out.data()), length(out), &written, 0);
        }
        if (status < 0) {
            ::SecureZeroMemory(out.data(), out.size());
            if (status == kAuthTagMismatch) {
                return std::nullopt;
            }
            fail("Windows could not decrypt a record", status);
        }
        return out;
    }

  private:
    static BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO mode_info(std::string_view nonce, PUCHAR tag) {
        BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
        BCRYPT_INIT_AUTH_MODE_INFO(info);
        info.pbNonce = bytes(nonce);
        info.cbNonce = length(nonce);
        info.pbTag = tag;
        info.cbTag = kTagBytes;
        return info;
    }

    Algorithm algorithm_;
    BCRYPT_KEY_HANDLE key_ = nullptr;
    // One call at a time on the key handle, rather than trusting every CNG provider, Wine's
    // included, to keep concurrent calls on one key apart.
    mutable std::mutex mutex_;
};

}  // namespace

std::unique_ptr<Mac> CngCrypto::hmac_sha256(std::string_view key) const {
    return std::make_unique<CngMac>(key);
}

std::unique_ptr<Aead> CngCrypto::aes_256_gcm(std::string_view key) const {
    return std::make_unique<CngAead>(key);
}

}  // namespace platform::win32
