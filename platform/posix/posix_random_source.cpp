#include "platform/posix/posix_random_source.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace platform::posix {

void PosixRandomSource::fill(std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        ssize_t got = ::getrandom(bytes, count, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error(std::string("The system's random source failed: ") +
                                     std::strerror(errno) + ".");
        }
        bytes += got;
        count -= static_cast<std::size_t>(got);
    }
}

}  // namespace platform::posix
