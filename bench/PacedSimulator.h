#pragma once
// The built-in simulated network served on a pseudo-terminal (its replies keeping the
// line's own pace, or as fast as they come), and (when asked) a link session open on
// it: what every benchmark measures against.

#include <cstdio>
#include <memory>
#include <string>

#include "link/qt/LinkSession.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"

namespace velmora::bench {

class SimulatorOnPty {
public:
    // Sessions open at `baud`; the replies are paced only when `options` says so.
    SimulatorOnPty(uint32_t baud, const sim::PtyOptions& options) : baud_(baud) {
        std::string error;
        sim::loadConfig(sim::defaultConfig(), network, error);
        server = std::make_unique<sim::PtyServer>(network, options);
        if (!server->open(error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return;
        }
        server->start();
        serving_ = true;
    }
    ~SimulatorOnPty() {
        if (serving_) server->stop();
    }
    bool serving() const { return serving_; }
    // Ends the serving; the network can then be read without a lock.
    void stop() {
        if (serving_) server->stop();
        serving_ = false;
    }

    // A session on the simulator's pty at the simulator's speed; nothing if it cannot open.
    std::unique_ptr<link::LinkSession> openSession() {
        if (!serving_) return nullptr;
        auto session = std::make_unique<link::LinkSession>();
        session->setChoice({1, QString::fromStdString(server->devicePath())});
        session->comm().setBaud(baud_);
        if (!session->openPort()) {
            std::fprintf(stderr, "cannot open %s\n", server->devicePath().c_str());
            return nullptr;
        }
        return session;
    }

    sim::ModuleNetwork network;
    std::unique_ptr<sim::PtyServer> server;

private:
    uint32_t baud_;
    bool serving_ = false;
};

// Replies paced at the line's speed.
class PacedSimulator : public SimulatorOnPty {
public:
    explicit PacedSimulator(uint32_t baud) : SimulatorOnPty(baud, paced(baud)) {}

private:
    static sim::PtyOptions paced(uint32_t baud) {
        sim::PtyOptions options;
        options.paceBaud = baud;
        return options;
    }
};

}  // namespace velmora::bench
