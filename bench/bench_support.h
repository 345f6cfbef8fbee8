#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/posix_random_source.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double milliseconds_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// A records file of `count` passwords of eight letters and digits, after its first line.
inline std::string make_records(std::size_t count) {
    platform::posix::PosixRandomSource random;
    const std::string pool = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string text = "temppass\r\n";
    text.reserve(count * 10 + 16);
    std::vector<std::uint8_t> bytes(8 * count);
    random.fill(bytes.data(), bytes.size());
    for (std::size_t i = 0; i < count; ++i) {
        for (int j = 0; j < 8; ++j) {
            text += pool[bytes[i * 8 + j] % pool.size()];
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace bench
