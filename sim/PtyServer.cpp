#include "sim/PtyServer.h"

#include <sys/prctl.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/LinePacing.h"

namespace velmora::sim {

namespace {
// The network tells a quiet line from a busy one in milliseconds.
uint64_t millisecondsOf(std::chrono::steady_clock::time_point t) {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(t.time_since_epoch()).count());
}
// Longest sleep of the serving loop, so a stop is noticed even if a wake-up is lost.
constexpr std::chrono::milliseconds kLongestWait{200};
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
    lineFreeAt_ = {};
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
    thread_ = std::thread([this] {
        // The kernel may let a sleep run up to 50 us long to batch wake-ups; a paced
        // reply due on a 87 us byte clock wants its wake-up on time.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        run(stopFlag_);
    });
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

void PtyServer::schedule(const Reply& reply, size_t requestBytes, Clock::time_point now) {
    // The pty hands the request over at once; the line would have taken its wire time.
    Clock::time_point start =
        now + lineTime(requestBytes, options_.paceBaud) + std::chrono::milliseconds(reply.delayMs);
    if (options_.paceBaud) {
        // One line: a reply completed by the same read waits for the one before it.
        start = std::max(start, lineFreeAt_);
        lineFreeAt_ = start + lineTime(reply.bytes.size(), options_.paceBaud);
    }
    // Each piece is due when its last byte has left the line, counted from the start of
    // the reply rather than from the piece before, so late wake-ups never add up.
    for (const PacedPiece& piece : pacedPieces(reply.bytes.size(), options_.paceBaud)) {
        auto first = reply.bytes.begin() + static_cast<long>(piece.offset);
        outbox_.emplace(start + piece.due,
                        std::vector<uint8_t>(first, first + static_cast<long>(piece.size)));
    }
}

void PtyServer::logRequest(const uint8_t* bytes, size_t count) const {
    // Opened for each line, so a reader sees every line whole as soon as it is written.
    FILE* f = std::fopen(options_.requestLogPath.c_str(), "a");
    if (!f) return;
    for (size_t i = 0; i < count; ++i) std::fprintf(f, i ? " %02X" : "%02X", bytes[i]);
    std::fputc('\n', f);
    std::fclose(f);
}

void PtyServer::serviceInput(Clock::time_point now) {
    uint8_t buf[512];
    for (;;) {
        ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) return;
        if (!options_.requestLogPath.empty()) logRequest(buf, static_cast<size_t>(n));
        std::lock_guard lock(networkMutex_);
        for (const Reply& r : network_.feed(buf, static_cast<size_t>(n), millisecondsOf(now)))
            schedule(r, static_cast<size_t>(n), now);
        if (network_.hangupDue()) {
            network_.hangupDone();
            unplugRequested_ = true;
        }
    }
}

void PtyServer::flushDue(Clock::time_point now) {
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
        Clock::time_point now = Clock::now();
        if (unplugRequested_.exchange(false) && master_ >= 0) {
            closePty();
            if (!options_.linkPath.empty()) ::unlink(options_.linkPath.c_str());
            ++unplugs_;
            if (options_.replugAfterMs)
                replugAt_ = now + std::chrono::milliseconds(options_.replugAfterMs);
        }
        bool plugDue = replugAt_ && now >= *replugAt_;
        if ((plugRequested_.exchange(false) || plugDue) && master_ < 0) {
            replugAt_.reset();
            std::string error;
            if (!openPty(error)) std::fprintf(stderr, "velmora-sim: %s\n", error.c_str());
        }
        {
            std::lock_guard lock(injectMutex_);
            for (auto& bytes : injected_) outbox_.emplace(now, std::move(bytes));
            injected_.clear();
        }
        if (master_ >= 0) flushDue(now);
        if (!waitForWork(now)) break;
    }
}

bool PtyServer::waitForWork(Clock::time_point now) {
    Clock::time_point until = now + kLongestWait;
    if (!outbox_.empty()) until = std::min(until, outbox_.begin()->first);
    if (replugAt_) until = std::min(until, *replugAt_);
    // ppoll takes nanoseconds on the same monotonic clock, so a paced piece goes out on
    // its due time rather than at the next whole millisecond, and input or a wake-up
    // still ends the wait at once.
    const auto wait = std::max(Clock::duration::zero(), until - Clock::now());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    const timespec timeout{static_cast<time_t>(ns / 1'000'000'000),
                           static_cast<long>(ns % 1'000'000'000)};
    pollfd fds[2] = {{wakePipe_[0], POLLIN, 0}, {master_, POLLIN, 0}};
    int count = master_ >= 0 ? 2 : 1;
    if (::ppoll(fds, static_cast<nfds_t>(count), &timeout, nullptr) < 0) return errno == EINTR;
    if (fds[0].revents & POLLIN) {
        char drain[64];
        while (::read(wakePipe_[0], drain, sizeof drain) > 0) {
        }
    }
    if (count == 2 && (fds[1].revents & POLLIN)) serviceInput(Clock::now());
    return true;
}

}  // namespace velmora::sim
