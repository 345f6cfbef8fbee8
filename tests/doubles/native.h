#pragma once

// The real services of the system the tests run on.

#include <memory>
#include <string>

#include "platform/registry.h"

#ifdef _WIN32
#include "platform/win32/cng_crypto.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_random_source.h"
#include "platform/win32/win32_registry.h"
#else
#include "platform/posix/openssl_crypto.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_random_source.h"
#include "platform/posix/xdg_autostart.h"
#endif

namespace native {

#ifdef _WIN32
using FileSystem = platform::win32::Win32FileSystem;
using RandomSource = platform::win32::Win32RandomSource;
using Crypto = platform::win32::CngCrypto;
// The registry itself: Windows has one per machine, whatever `config_home` says.
inline std::unique_ptr<platform::Registry> user_registry(const std::string&) {
    return std::make_unique<platform::win32::Win32Registry>();
}
#else
using FileSystem = platform::posix::PosixFileSystem;
using RandomSource = platform::posix::PosixRandomSource;
using Crypto = platform::posix::OpenSslCrypto;
// The registry store and autostart folder under `config_home`.
inline std::unique_ptr<platform::Registry> user_registry(const std::string& config_home) {
    return platform::posix::make_user_registry(config_home);
}
#endif

}  // namespace native
