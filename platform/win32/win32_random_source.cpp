#include "platform/win32/win32_random_source.h"

#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace platform::win32 {

void Win32RandomSource::fill(std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        auto take = static_cast<ULONG>(std::min<std::size_t>(count, 1u << 30));
        NTSTATUS status = ::BCryptGenRandom(nullptr, bytes, take, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
        if (status < 0) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(status));
            throw std::runtime_error(std::string("The system's random source failed (status ") +
                                     code + ").");
        }
        bytes += take;
        count -= take;
    }
}

}  // namespace platform::win32
