// velmora-pic18: the node monitor on a simulated PIC18F6520 (gpsim), its USART on a
// pseudo-terminal, for the program to talk to as to a node on a serial line.
// Exit status: 0 after a signal to end (or the end of the parent), 2 for a bad command
// line, 1 when the pty, the image or the simulated chip cannot be made.

#include <sys/prctl.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/RegularFileRead.h"
#include "pic18/ChipImage.h"
#include "pic18/GpsimSession.h"
#include "pic18/Pic18Options.h"

namespace {

using namespace velmora::pic18;

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    (void)!::write(g_signalPipe[1], &c, 1);
}

constexpr int kBadCommandLine = 2;
constexpr int kCannotServe = 1;
constexpr size_t kHexLimit = 4u << 20;

// The monitor's image and the gpsim module are built beside the program.
std::filesystem::path besideProgram(const char* name) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (ec ? std::filesystem::path(".") : self.parent_path()) / name;
}

speed_t termiosSpeed(uint32_t baud) {
    switch (baud) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 57600:
            return B57600;
        default:
            return B115200;
    }
}

struct Pty {
    int master = -1;
    int heldSlave = -1;  // keeps the line configured between clients
    std::string path;
    bool linked = false;
};

bool openPty(Pty& pty, const std::string& linkPath, speed_t speed, std::string& error) {
    pty.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (pty.master < 0 || ::grantpt(pty.master) != 0 || ::unlockpt(pty.master) != 0 ||
        ::ptsname_r(pty.master, name, sizeof name) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    pty.path = name;
    pty.heldSlave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.heldSlave < 0) {
        error = "cannot open " + pty.path + ": " + std::strerror(errno);
        return false;
    }
    // Raw, at the node's speed: a terminal that sets no speed of its own talks at that.
    termios tio{};
    ::tcgetattr(pty.heldSlave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, speed);
    ::tcsetattr(pty.heldSlave, TCSANOW, &tio);
    // The bridge reads what has come whenever it looks, and never waits in a read.
    ::fcntl(pty.master, F_SETFL, O_NONBLOCK);
    if (!linkPath.empty()) {
        const std::string temp = linkPath + ".new";
        ::unlink(temp.c_str());
        if (::symlink(name, temp.c_str()) != 0 || ::rename(temp.c_str(), linkPath.c_str()) != 0) {
            error = "cannot make the link " + linkPath + ": " + std::strerror(errno);
            return false;
        }
        pty.linked = true;
    }
    return true;
}

std::vector<std::string> chipScript(const std::string& imagePath, const std::string& bridgePath,
                                    const Pic18Options& o, int masterFd) {
    return {
        "processor p18f6520",
        "load " + imagePath,
        // A 7.3728 MHz crystal: every speed of the node divides it exactly.
        "p18f6520.frequency = 7372800",
        // initMod resets the chip, and the chip goes on as after any reset; the monitor
        // reads the whole SFR page, registers the chip lacks included.
        "p18f6520.BreakOnReset = false",
        "p18f6520.BreakOnInvalidRegisterRead = false",
        "p18f6520.BreakOnInvalidRegisterWrite = false",
        "module library " + bridgePath,
        "module load velmora_uart bridge",
        "bridge.baud = " + std::to_string(o.baud),
        "bridge.fd = " + std::to_string(masterFd),
        std::string("bridge.paced = ") + (o.paced ? "1" : "0"),
        "node ntx",
        "attach ntx portc6 bridge.tx",
        "node nrx",
        "attach nrx portc7 bridge.rx",
        "node nlamp",
        "attach nlamp portb0 bridge.lamp",
    };
}

// Lines typed on standard input, each a gpsim command with the chip stopped.
class Console {
public:
    explicit Console(GpsimSession& gpsim) : gpsim_(gpsim) {}

    // False at the end of input.
    bool readInput() {
        char buf[4096];
        const ssize_t n = ::read(0, buf, sizeof buf);
        if (n < 0 && errno == EINTR) return true;
        if (n <= 0) return false;
        pending_.append(buf, static_cast<size_t>(n));
        return true;
    }

    // Runs the whole lines that have come; false when gpsim is gone.
    bool runLines() {
        bool ran = false;
        for (size_t end; (end = pending_.find('\n')) != std::string::npos;) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            std::string output;
            if (!gpsim_.command(line, output)) return false;
            std::fputs(output.c_str(), stdout);
            std::fputs("--\n", stdout);
            ran = true;
        }
        std::fflush(stdout);
        if (ran) gpsim_.resume();
        return true;
    }

private:
    GpsimSession& gpsim_;
    std::string pending_;
};

}  // namespace

int main(int argc, char** argv) {
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    std::string error;
    const auto options = parsePic18Options(args, error);
    if (!options) {
        std::fprintf(stderr, "velmora-pic18: %s\n", error.c_str());
        return kBadCommandLine;
    }
    if (options->help) {
        std::fputs(pic18Usage(), stdout);
        return 0;
    }

    std::string application;
    if (!options->hexPath.empty()) {
        velmora::FileRead file = velmora::readRegularFile(options->hexPath, kHexLimit);
        if (!file.ok()) {
            std::fprintf(stderr, "velmora-pic18: --hex %s: %s\n", options->hexPath.c_str(),
                         file.reason.c_str());
            return kBadCommandLine;
        }
        application = std::move(file.text);
    }
    const auto monitorPath = besideProgram("velmora-pic18-monitor.hex");
    velmora::FileRead monitor = velmora::readRegularFile(monitorPath.string(), kHexLimit);
    if (!monitor.ok()) {
        std::fprintf(stderr, "velmora-pic18: the monitor %s: %s\n", monitorPath.c_str(),
                     monitor.reason.c_str());
        return kCannotServe;
    }
    const std::string image =
        chipImage(monitor.text, application, *nodeSpeedCode(options->baud), error);
    if (image.empty()) {
        std::fprintf(stderr, "velmora-pic18: --hex %s: %s\n", options->hexPath.c_str(),
                     error.c_str());
        return kBadCommandLine;
    }

    char dirTemplate[] = "/tmp/velmora-pic18.XXXXXX";
    if (!::mkdtemp(dirTemplate)) {
        std::fprintf(stderr, "velmora-pic18: cannot make a scratch folder: %s\n", std::strerror(errno));
        return kCannotServe;
    }
    const std::filesystem::path scratch(dirTemplate);
    const std::string imagePath = (scratch / "chip.hex").string();
    std::FILE* f = std::fopen(imagePath.c_str(), "w");
    const bool written = f && std::fwrite(image.data(), 1, image.size(), f) == image.size();
    if (f) std::fclose(f);

    Pty pty;
    GpsimSession gpsim;
    int status = 0;
    if (!written) {
        error = "cannot write " + imagePath;
        status = kCannotServe;
    } else if (!openPty(pty, options->linkPath, termiosSpeed(options->baud), error) || !gpsim.start(pty.master, error) ||
               !gpsim.runScript(chipScript(imagePath, besideProgram("libvelmora_pic18_bridge.so"),
                                           *options, pty.master),
                                error)) {
        status = kCannotServe;
    }
    if (status != 0) {
        std::fprintf(stderr, "velmora-pic18: %s\n", error.c_str());
    } else {
        // gpsim holds the master now.
        ::close(pty.master);
        pty.master = -1;
        ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK);
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
        std::printf("%s\n", pty.path.c_str());
        if (!options->linkPath.empty()) std::printf("%s\n", options->linkPath.c_str());
        std::fflush(stdout);

        Console console(gpsim);
        bool input = true;
        // The parent may have gone before the death signal was asked for.
        while (::getppid() == parent) {
            pollfd fds[3] = {{g_signalPipe[0], POLLIN, 0}, {gpsim.outputFd(), POLLIN, 0},
                             {input ? 0 : -1, POLLIN, 0}};
            if (::poll(fds, 3, 1000) < 0 && errno != EINTR) break;
            if (fds[0].revents) break;
            std::string halted;
            if (fds[1].revents && !gpsim.drain(halted)) {
                std::fprintf(stderr, "velmora-pic18: gpsim ended\n");
                status = kCannotServe;
                break;
            }
            if (!halted.empty()) {
                // A real chip would not stop: say what gpsim saw, and let it run on.
                std::fprintf(stderr, "velmora-pic18: gpsim stopped the chip:\n%s", halted.c_str());
                gpsim.resume();
            }
            if (fds[2].revents) {
                input = console.readInput();
                if (!console.runLines()) {
                    std::fprintf(stderr, "velmora-pic18: gpsim stopped answering\n");
                    status = kCannotServe;
                    break;
                }
            }
        }
    }
    gpsim.quit();
    if (pty.master >= 0) ::close(pty.master);
    if (pty.heldSlave >= 0) ::close(pty.heldSlave);
    if (pty.linked) ::unlink(options->linkPath.c_str());
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
    return status;
}
