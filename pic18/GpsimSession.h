#pragma once
// gpsim run headless as a child process, driven through its command line: the script
// that builds the chip, the run, and commands run with the chip stopped.

#include <sys/types.h>

#include <string>
#include <vector>

namespace velmora::pic18 {

class GpsimSession {
public:
    GpsimSession() = default;
    ~GpsimSession();
    GpsimSession(const GpsimSession&) = delete;
    GpsimSession& operator=(const GpsimSession&) = delete;

    // Starts `gpsim` (found on PATH) with `keepFd` left open in it; the child gets
    // SIGKILL when this process ends, however it ends.
    bool start(int keepFd, std::string& error);

    // Runs the set-up commands and then the chip; false with gpsim's complaint when a
    // command failed or the chip did not start.
    bool runScript(const std::vector<std::string>& commands, std::string& error);

    // One command with the chip stopped: its output, without the prompt and the echo.
    // The chip runs on when `resume()` is called.
    bool command(const std::string& line, std::string& output);
    void resume();
    bool running() const { return running_; }

    // The pipe gpsim writes to; while the chip runs its output is read and dropped.
    int outputFd() const { return out_; }
    // False once gpsim has gone. When gpsim has stopped the run by itself, `halted` gets
    // what it said, and the chip stands until `resume()`.
    bool drain(std::string& halted);

    // Ends gpsim at once.
    void quit();

private:
    void send(const std::string& text);
    // Reads until `marker` ends a line of output; false when gpsim is gone or silent
    // for `timeoutMs`.
    bool readUntil(const std::string& marker, std::string& text, int timeoutMs);
    bool interrupt();

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    bool running_ = false;
    std::string pending_;  // output read past the last marker
};

}  // namespace velmora::pic18
