#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/record_codec.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double milliseconds_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Stats {
    double median = 0;
    double min = 0;
    double max = 0;
    bool empty = true;
};

inline Stats stats_of(std::vector<double> samples) {
    Stats stats;
    if (samples.empty()) {
        return stats;
    }
    std::sort(samples.begin(), samples.end());
    stats.median = samples[samples.size() / 2];
    stats.min = samples.front();
    stats.max = samples.back();
    stats.empty = false;
    return stats;
}

// Kilobytes from /proc/self/status: "VmRSS" now, or "VmHWM" the peak since the last reset.
inline double status_mb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size() + 1, field + ":") == 0) {
            return std::stod(line.substr(field.size() + 1)) / 1024.0;
        }
    }
    return -1;
}

inline void reset_peak_memory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A child's findings, one line per measure: its name, then its samples.
inline void report(const std::string& name, const std::vector<double>& samples) {
    std::printf("%s", name.c_str());
    for (double sample : samples) {
        std::printf(" %.4f", sample);
    }
    std::printf("\n");
    std::fflush(stdout);
}

// The password of record `index` in a file made by write_records.
inline std::string record_text(std::uint64_t seed, std::size_t index) {
    static const std::string pool =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::mt19937_64 draw(seed * 0x9E3779B97F4A7C15ull + index);
    std::string text(8, ' ');
    std::uint64_t bits = draw();
    for (char& c : text) {
        c = pool[bits % pool.size()];
        bits /= pool.size();
    }
    return text;
}

// A records file of `count` passwords of eight letters and digits after its first line: the kind
// the program writes. The program's own 8-character candidates come from 85 characters, so one
// is on record with a chance far below one in a million even at ten million records. With
// `codec`, the same passwords in its form.
inline void write_records(const std::string& path, std::size_t count, std::uint64_t seed = 1,
                          const app::RecordCodec* codec = nullptr) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string chunk = (codec ? codec->first_line() : std::string("temppass")) + "\r\n";
    for (std::size_t i = 0; i < count; ++i) {
        chunk += codec ? codec->line_of(record_text(seed, i)) : record_text(seed, i);
        chunk += "\r\n";
        if (chunk.size() > (1 << 20)) {
            out << chunk;
            chunk.clear();
        }
    }
    out << chunk;
}

}  // namespace bench
