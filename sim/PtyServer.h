#pragma once
// Serves the simulated network on a pseudo-terminal, as a USB adapter with modules
// behind it would: replies come back after the line's own time when pacing is on, and
// the "adapter" can be unplugged (the pty vanishes) and plugged in again (a new pty
// behind the same stable link).

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/ModuleNetwork.h"

namespace velmora::sim {

struct PtyOptions {
    std::string linkPath;        // stable link to the current pty; empty for none
    uint32_t paceBaud = 0;       // 0: replies at once; else at this speed, 10 bits a byte
    uint32_t replugAfterMs = 0;  // after a hang-up, plug in again after this long (0: never)
    // Appends what the terminal sent, each read from the line as a line of hex bytes;
    // empty for none. The terminal writes a frame at a time, so a line is a frame.
    std::string requestLogPath;
};

class PtyServer {
public:
    PtyServer(ModuleNetwork& network, PtyOptions options);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    bool open(std::string& error);
    // The pty's device path (empty while unplugged) and the stable link, if any.
    std::string devicePath() const;
    const std::string& linkPath() const { return options_.linkPath; }

    // Serves in this thread until `stop` becomes true.
    void run(const std::atomic<bool>& stop);
    // Or in a thread of its own.
    void start();
    void stop();

    // Both are safe from any thread; they take effect in the serving loop.
    void requestUnplug();
    void requestPlug();
    // Bytes the far end sends on its own (noise, a device that talks unasked).
    void sendUnsolicited(std::vector<uint8_t> bytes);

    unsigned unplugCount() const { return unplugs_; }
    // The line speed the client set on the terminal, in bit/s (0 when unknown).
    uint32_t lineSpeed() const;
    // The framing the client set, as "8N1", with " rtscts" when it asked for hardware
    // handshaking.
    std::string lineFraming() const;
    // Hold this to look at or change the network while the server runs.
    std::unique_lock<std::mutex> lockNetwork() { return std::unique_lock(networkMutex_); }

private:
    using Clock = std::chrono::steady_clock;

    bool openPty(std::string& error);
    void closePty();
    void serviceInput(Clock::time_point now);
    void logRequest(const uint8_t* bytes, size_t count) const;
    void flushDue(Clock::time_point now);
    void schedule(const Reply& reply, size_t requestBytes, Clock::time_point now);
    // Sleeps until input, a wake-up or the next due time; false if the wait failed.
    bool waitForWork(Clock::time_point now);
    void wake();

    ModuleNetwork& network_;
    PtyOptions options_;
    std::mutex networkMutex_;
    mutable std::mutex pathMutex_;
    std::string path_;
    int master_ = -1;
    int heldSlave_ = -1;  // keeps the line configured and open between clients
    int wakePipe_[2] = {-1, -1};
    std::multimap<Clock::time_point, std::vector<uint8_t>> outbox_;
    Clock::time_point lineFreeAt_{};  // end of the last paced reply
    std::mutex injectMutex_;
    std::vector<std::vector<uint8_t>> injected_;
    std::atomic<bool> unplugRequested_{false};
    std::atomic<bool> plugRequested_{false};
    std::atomic<unsigned> unplugs_{0};
    std::optional<Clock::time_point> replugAt_;
    std::atomic<bool> stopFlag_{false};
    std::thread thread_;
};

}  // namespace velmora::sim
