#include "pic18/GpsimSession.h"

#include <sys/prctl.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace velmora::pic18 {

namespace {

// gpsim has no echo command; a string symbol, evaluated, prints its text alone. Its
// line after a command's output says the output is complete.
constexpr const char* kMarkerName = "velmora_end";
constexpr const char* kMarkerText = "velmora-pic18: end of output";
constexpr const char* kPrompt = "**gpsim> ";
// What the bridge module says at the first moment of the run.
constexpr const char* kChipRuns = "velmora_uart: the chip runs";
constexpr int kCommandTimeoutMs = 20000;

}  // namespace

GpsimSession::~GpsimSession() {
    quit();
}

bool GpsimSession::start(int keepFd, std::string& error) {
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) {
        error = std::string("cannot make pipes: ") + std::strerror(errno);
        return false;
    }
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ < 0) {
        error = std::string("cannot start gpsim: ") + std::strerror(errno);
        return false;
    }
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        // Its own process group: a Ctrl+C at the terminal is for velmora-pic18, which
        // stops the chip itself.
        ::setpgid(0, 0);
        ::dup2(toChild[0], 0);
        ::dup2(fromChild[1], 1);
        ::dup2(fromChild[1], 2);
        ::fcntl(keepFd, F_SETFD, 0);
        ::execlp("gpsim", "gpsim", "-i", "-S", "disable", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

void GpsimSession::send(const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(in_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

bool GpsimSession::readUntil(const std::string& marker, std::string& text, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // A line of its own: the marker also stands in the echo of its definition.
    const std::string line = "\n" + marker + "\n";
    for (;;) {
        const size_t at = pending_.find(line);
        if (at != std::string::npos) {
            text = pending_.substr(0, at + 1);
            pending_.erase(0, at + line.size());
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return false;
        pollfd p{out_, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        char buf[4096];
        const ssize_t n = ::read(out_, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        for (ssize_t i = 0; i < n; ++i)
            if (buf[i] != '\0') pending_ += buf[i];
    }
}

bool GpsimSession::runScript(const std::vector<std::string>& commands, std::string& error) {
    std::string script = std::string("symbol ") + kMarkerName + "=\"" + kMarkerText + "\"\n";
    for (const std::string& c : commands) script += c + "\n";
    send(script + kMarkerName + "\n");
    std::string text;
    if (!readUntil(kMarkerText, text, kCommandTimeoutMs)) {
        error = "gpsim did not take the set-up commands:\n" + pending_;
        return false;
    }
    // gpsim reports a failed command and goes on with the next.
    for (const char* complaint : {"ERROR", "rror:", "not found", "could not", "Unable"}) {
        if (text.find(complaint) != std::string::npos) {
            error = "gpsim refused the set-up commands:\n" + text;
            return false;
        }
    }
    send("run\n");
    if (!readUntil(kChipRuns, text, kCommandTimeoutMs)) {
        error = "the chip did not start:\n" + pending_;
        return false;
    }
    running_ = true;
    return true;
}

bool GpsimSession::interrupt() {
    if (!running_) return true;
    ::kill(pid_, SIGINT);
    send(std::string(kMarkerName) + "\n");
    std::string text;
    if (!readUntil(kMarkerText, text, kCommandTimeoutMs)) return false;
    running_ = false;
    return true;
}

bool GpsimSession::command(const std::string& line, std::string& output) {
    if (!interrupt()) return false;
    send(line + "\n" + kMarkerName + "\n");
    std::string text;
    if (!readUntil(kMarkerText, text, kCommandTimeoutMs)) return false;
    // The text is: the prompt, the echoed command, its output, the prompt and the
    // marker's echo.
    const size_t echoEnd = text.find('\n');
    output = echoEnd == std::string::npos ? std::string() : text.substr(echoEnd + 1);
    const std::string tail = std::string(kPrompt) + kMarkerName + "\n";
    if (output.size() >= tail.size() && output.compare(output.size() - tail.size(), tail.size(), tail) == 0)
        output.erase(output.size() - tail.size());
    return true;
}

void GpsimSession::resume() {
    if (running_ || pid_ < 0) return;
    // A Ctrl+C that came before the run began would be lost, and the next command with
    // it: the run counts once the bridge has said so.
    send("run\n");
    std::string text;
    running_ = readUntil(kChipRuns, text, kCommandTimeoutMs);
}

bool GpsimSession::drain(std::string& halted) {
    char buf[4096];
    for (;;) {
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0) break;
        const ssize_t n = ::read(out_, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (!running_) continue;
        for (ssize_t i = 0; i < n; ++i)
            if (buf[i] != '\0') pending_ += buf[i];
    }
    // gpsim stops a run by itself on what it takes for a fault (a break the script did
    // not turn off); it then prompts for a command.
    const size_t prompt = pending_.find(kPrompt);
    if (running_ && prompt != std::string::npos) {
        halted = pending_.substr(0, prompt) + "\n";
        pending_.clear();
        running_ = false;
    } else if (pending_.size() > 65536) {
        pending_.erase(0, pending_.size() - 4096);
    }
    return true;
}

void GpsimSession::quit() {
    if (pid_ < 0) return;
    // gpsim's own quit takes a second tearing its objects down; nothing of it is wanted.
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    ::close(in_);
    ::close(out_);
    in_ = out_ = -1;
    running_ = false;
}

}  // namespace velmora::pic18
