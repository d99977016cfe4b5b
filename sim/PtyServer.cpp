#include "sim/PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velmora::sim {

namespace {
uint64_t nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
// A USB adapter hands bytes over in pieces; paced replies come in pieces this size.
constexpr size_t kPacedChunk = 16;
}  // namespace

PtyServer::PtyServer(ModuleNetwork& network, PtyOptions options)
    : network_(network), options_(std::move(options)) {
    if (::pipe(wakePipe_) == 0) {
        ::fcntl(wakePipe_[0], F_SETFL, O_NONBLOCK);
        ::fcntl(wakePipe_[1], F_SETFL, O_NONBLOCK);
    }
}

PtyServer::~PtyServer() {
    stop();
    closePty();
    if (!options_.linkPath.empty()) ::unlink(options_.linkPath.c_str());
    for (int fd : wakePipe_)
        if (fd >= 0) ::close(fd);
}

bool PtyServer::open(std::string& error) {
    return openPty(error);
}

std::string PtyServer::devicePath() const {
    std::lock_guard lock(pathMutex_);
    return path_;
}

bool PtyServer::openPty(std::string& error) {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0) ::close(master);
        return false;
    }
    char name[128];
    if (::ptsname_r(master, name, sizeof name) != 0) {
        error = "cannot name the pseudo-terminal";
        ::close(master);
        return false;
    }
    int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        error = std::string("cannot open ") + name + ": " + std::strerror(errno);
        ::close(master);
        return false;
    }
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    master_ = master;
    heldSlave_ = slave;
    {
        std::lock_guard lock(pathMutex_);
        path_ = name;
    }
    if (!options_.linkPath.empty()) {
        // Replace the link in one step so a client never sees it missing while plugged.
        std::string temp = options_.linkPath + ".new";
        ::unlink(temp.c_str());
        if (::symlink(name, temp.c_str()) != 0 ||
            ::rename(temp.c_str(), options_.linkPath.c_str()) != 0) {
            error = "cannot make the link " + options_.linkPath + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

void PtyServer::closePty() {
    if (master_ >= 0) ::close(master_);
    if (heldSlave_ >= 0) ::close(heldSlave_);
    master_ = heldSlave_ = -1;
    outbox_.clear();
    std::lock_guard lock(pathMutex_);
    path_.clear();
}

uint32_t PtyServer::lineSpeed() const {
    termios tio{};
    if (heldSlave_ < 0 || ::tcgetattr(heldSlave_, &tio) != 0) return 0;
    switch (::cfgetospeed(&tio)) {
        case B1200:
            return 1200;
        case B2400:
            return 2400;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        default:
            return 0;
    }
}

std::string PtyServer::lineFraming() const {
    termios tio{};
    if (heldSlave_ < 0 || ::tcgetattr(heldSlave_, &tio) != 0) return {};
    std::string out;
    switch (tio.c_cflag & CSIZE) {
        case CS5:
            out = "5";
            break;
        case CS6:
            out = "6";
            break;
        case CS7:
            out = "7";
            break;
        default:
            out = "8";
            break;
    }
    out += (tio.c_cflag & PARENB) ? ((tio.c_cflag & PARODD) ? "O" : "E") : "N";
    out += (tio.c_cflag & CSTOPB) ? "2" : "1";
    if (tio.c_cflag & CRTSCTS) out += " rtscts";
    return out;
}

void PtyServer::start() {
    stopFlag_ = false;
    thread_ = std::thread([this] { run(stopFlag_); });
}

void PtyServer::stop() {
    stopFlag_ = true;
    wake();
    if (thread_.joinable()) thread_.join();
}

void PtyServer::requestUnplug() {
    unplugRequested_ = true;
    wake();
}

void PtyServer::requestPlug() {
    plugRequested_ = true;
    wake();
}

void PtyServer::sendUnsolicited(std::vector<uint8_t> bytes) {
    {
        std::lock_guard lock(injectMutex_);
        injected_.push_back(std::move(bytes));
    }
    wake();
}

void PtyServer::wake() {
    if (wakePipe_[1] >= 0) {
        char c = 1;
        [[maybe_unused]] auto n = ::write(wakePipe_[1], &c, 1);
    }
}

uint32_t PtyServer::wireMs(size_t bytes) const {
    if (!options_.paceBaud) return 0;
    return static_cast<uint32_t>((bytes * 10 * 1000 + options_.paceBaud - 1) / options_.paceBaud);
}

void PtyServer::schedule(const Reply& reply, size_t requestBytes, uint64_t now) {
    uint64_t at = now + wireMs(requestBytes) + reply.delayMs;
    if (!options_.paceBaud) {
        outbox_.emplace(at, reply.bytes);
        return;
    }
    for (size_t i = 0; i < reply.bytes.size(); i += kPacedChunk) {
        size_t n = std::min(kPacedChunk, reply.bytes.size() - i);
        at += wireMs(n);
        outbox_.emplace(at, std::vector<uint8_t>(reply.bytes.begin() + static_cast<long>(i),
                                                 reply.bytes.begin() + static_cast<long>(i + n)));
    }
}

void PtyServer::serviceInput(uint64_t now) {
    uint8_t buf[512];
    for (;;) {
        ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) return;
        std::lock_guard lock(networkMutex_);
        for (const Reply& r : network_.feed(buf, static_cast<size_t>(n), now))
            schedule(r, static_cast<size_t>(n), now);
        if (network_.hangupDue()) {
            FaultPlan plan = network_.faults();
            plan.hangupAfter = 0;  // once
            network_.setFaults(plan);
            unplugRequested_ = true;
        }
    }
}

void PtyServer::flushDue(uint64_t now) {
    while (!outbox_.empty() && outbox_.begin()->first <= now) {
        std::vector<uint8_t>& bytes = outbox_.begin()->second;
        ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n < 0 && errno == EAGAIN) return;
        if (n > 0 && static_cast<size_t>(n) < bytes.size()) {
            bytes.erase(bytes.begin(), bytes.begin() + n);
            return;
        }
        outbox_.erase(outbox_.begin());
    }
}

void PtyServer::run(const std::atomic<bool>& stop) {
    while (!stop) {
        uint64_t now = nowMs();
        if (unplugRequested_.exchange(false) && master_ >= 0) {
            closePty();
            if (!options_.linkPath.empty()) ::unlink(options_.linkPath.c_str());
            ++unplugs_;
            if (options_.replugAfterMs) replugAt_ = now + options_.replugAfterMs;
        }
        bool plugDue = replugAt_ && now >= replugAt_;
        if ((plugRequested_.exchange(false) || plugDue) && master_ < 0) {
            replugAt_ = 0;
            std::string error;
            if (!openPty(error)) std::fprintf(stderr, "velmora-sim: %s\n", error.c_str());
        }
        {
            std::lock_guard lock(injectMutex_);
            for (auto& bytes : injected_) outbox_.emplace(now, std::move(bytes));
            injected_.clear();
        }
        if (master_ >= 0) flushDue(now);

        int timeout = 200;
        if (!outbox_.empty())
            timeout = static_cast<int>(std::min<uint64_t>(
                200, outbox_.begin()->first > now ? outbox_.begin()->first - now : 0));
        if (replugAt_)
            timeout = static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(timeout),
                                                          replugAt_ > now ? replugAt_ - now : 0));
        pollfd fds[2] = {{wakePipe_[0], POLLIN, 0}, {master_, POLLIN, 0}};
        int count = master_ >= 0 ? 2 : 1;
        if (::poll(fds, static_cast<nfds_t>(count), timeout) < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakePipe_[0], drain, sizeof drain) > 0) {
            }
        }
        if (count == 2 && (fds[1].revents & POLLIN)) serviceInput(nowMs());
    }
}

}  // namespace velmora::sim
