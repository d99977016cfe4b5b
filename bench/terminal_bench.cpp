// The free terminal's screen model: throughput on plain text, on a colour change at
// every character and on cursor addressing (target: above 80 MB/s on each).

#include <chrono>
#include <cstdio>
#include <string>

#include "tools/TerminalScreen.h"

namespace {

void measure(const char* name, const std::string& stream) {
    velmora::tools::TerminalScreen screen;
    const auto* data = reinterpret_cast<const uint8_t*>(stream.data());
    const auto t0 = std::chrono::steady_clock::now();
    size_t fed = 0;
    while (fed < (64u << 20)) {
        screen.feed(data, stream.size());
        fed += stream.size();
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("terminal screen, %s: %.0f MB/s (target > 80)\n", name, static_cast<double>(fed) / 1e6 / s);
}

}  // namespace

int main() {
    std::string plain;
    for (int i = 0; i < 1000; ++i) plain += "The quick brown fox jumps over the lazy dog 0123456789\r";
    std::string colours;
    for (int i = 0; i < 10000; ++i) colours += "\x1b[3" + std::to_string(i % 8) + "m" + "x";
    std::string cursor;
    for (int i = 0; i < 10000; ++i)
        cursor += "\x1b[" + std::to_string(i % 24 + 1) + ";" + std::to_string(i % 80 + 1) + "H*";
    measure("plain text", plain);
    measure("a colour change at every character", colours);
    measure("cursor addressing", cursor);
    return 0;
}
