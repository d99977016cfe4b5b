// A program killed while it saves the settings file or sysConfig.trm leaves the file
// whole: the contents before that save or after it, never a mix, never an empty file.
// The saving is done by a separate program (velmora_save_loop) through the program's
// own routines; it reports each save, and is killed with SIGKILL a number of saves in.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "system/ConfigFile.h"
#include "tests/support/SaveLoopContents.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace velmora;

namespace {

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeWhole(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

using Clock = std::chrono::steady_clock;

// The save loop with its standard output on a pipe.
class SaveLoop {
public:
    SaveLoop(const std::string& kind, const fs::path& path, long count = -1) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        std::string program = VELMORA_SAVE_LOOP_PATH;
        std::string file = path.string();
        std::string times = std::to_string(count);
        std::vector<char*> argv{program.data(), const_cast<char*>(kind.c_str()), file.data()};
        if (count >= 0) argv.push_back(times.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~SaveLoop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
    }
    bool started() const { return pid_ > 0; }

    // Reads the loop's reports until `saves` have come; false when it ended first. The
    // time limit only keeps a hung loop from hanging the test.
    bool waitForSaves(int saves) {
        int seen = 0;
        char buffer[256];
        while (seen < saves) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 20000) <= 0) return false;
            ssize_t n = ::read(out_, buffer, sizeof buffer);
            if (n <= 0) return false;
            if (seen == 0) first_ = Clock::now();
            for (ssize_t i = 0; i < n; ++i) seen += buffer[i] == '\n';
        }
        last_ = Clock::now();
        reports_ = seen;
        return true;
    }
    // How long one save took, on average, between the first report and the last.
    Clock::duration savePeriod() const {
        return reports_ > 1 ? (last_ - first_) / (reports_ - 1) : Clock::duration::zero();
    }
    // SIGKILL, wherever the loop is; true when that is what ended it.
    bool kill() {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
    // Waits for a counted loop to end; its exit status.
    int finish() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    Clock::time_point first_, last_;
    int reports_ = 0;
};

// Holds the processor for `span`: the loop meanwhile goes on with its save, so the kill
// that follows lands that far into it. Sleeping would add the scheduler's own delay.
void spin(Clock::duration span) {
    const Clock::time_point until = Clock::now() + span;
    while (Clock::now() < until) {
    }
}

// Rounds of killing: a save that writes the file in place is caught within a hundred
// or so. The configuration is small and its saves short, so the window in which such a
// save would leave an empty file is narrow: more rounds for it (they are quick).
constexpr int kSettingsRounds = 150;
constexpr int kConfigRounds = 600;

class KilledSave : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        // In memory when the machine has such a folder: a killed process leaves the
        // same files there as on a disk, and with no flush to wait for, the kill lands
        // in the writing as often as anywhere else.
        std::error_code ec;
        const bool inMemory = fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0;
        std::string pattern = (inMemory ? std::string("/dev/shm/") : ::testing::TempDir()) +
                              "velmora-killed-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    // The file after `count` saves run to their end.
    std::string afterSaves(const fs::path& path, long count) {
        SaveLoop loop(GetParam(), path, count);
        EXPECT_TRUE(loop.started());
        EXPECT_EQ(loop.finish(), 0);
        return readWhole(path);
    }

    fs::path dir;
};

TEST_P(KilledSave, FileIsTheOldOrTheNewContentsWhole) {
    const std::string kind = GetParam();
    const bool settings = kind == "settings";
    const fs::path path = dir / (settings ? "velmora.ini" : system::kConfigFileName);
    const std::string userLines = velmora::testing::saveLoopUserLines();
    if (settings) writeWhole(path, userLines);

    // A: the first save's contents, B: the second's.
    const std::string a = afterSaves(path, 1);
    const std::string b = afterSaves(path, 2);
    ASSERT_NE(a, b);
    if (settings) {
        // Every save keeps the user's lines, so writing the file takes the kernel many
        // pages, and a kill can land between any two of them.
        EXPECT_NE(a.find(userLines), std::string::npos);
        EXPECT_NE(b.find(userLines), std::string::npos);
        EXPECT_NE(a.find("Width=500\r\n"), std::string::npos);
        EXPECT_NE(b.find("Width=1280\r\n"), std::string::npos);
        EXPECT_GT(a.size(), 400000u);
    } else {
        // 32 blocks of "[NN]", the count and 32 modules, each line CR LF.
        EXPECT_EQ(a.size(), 32u * (6 + 4 + 32 * 4));
        EXPECT_EQ(b, "[01]\r\n01\r\n10\r\n[03]\r\n02\r\n10\r\n12\r\n"
                     "[05]\r\n03\r\n10\r\n12\r\n14\r\n");
    }

    // How long one save takes here, from a loop left to run a while.
    Clock::duration period;
    {
        SaveLoop loop(kind, path);
        ASSERT_TRUE(loop.started());
        ASSERT_TRUE(loop.waitForSaves(20));
        period = loop.savePeriod();
        ASSERT_TRUE(loop.kill());
    }

    // Killed after 1 to 9 reported saves, and then 0 to 15 sixteenths of a save's time
    // later: round by round, the kill is swept across the whole of a save, whatever the
    // rhythm of the loop and the reader.
    const int rounds = settings ? kSettingsRounds : kConfigRounds;
    for (int round = 0; round < rounds; ++round) {
        const int saves = 1 + round * 5 % 9;
        SaveLoop loop(kind, path);
        ASSERT_TRUE(loop.started());
        ASSERT_TRUE(loop.waitForSaves(saves)) << "the loop ended before " << saves << " saves";
        spin(period * (round % 16) / 16);
        ASSERT_TRUE(loop.kill());
        const std::string now = readWhole(path);
        if (now != a && now != b) {
            ADD_FAILURE() << "round " << round << ", killed after " << saves << " saves: "
                          << now.size() << " bytes, neither " << a.size() << " nor " << b.size()
                          << " as saved";
            break;  // the next saves start from the broken file: one report is enough
        }
    }
    // What a killed save left beside the file is cleared by the next one.
    EXPECT_EQ(afterSaves(path, 1), a);
    EXPECT_FALSE(fs::exists(path.string() + ".tmp"));
}

INSTANTIATE_TEST_SUITE_P(SettingsAndConfiguration, KilledSave,
                         ::testing::Values("settings", "config"));

}  // namespace
