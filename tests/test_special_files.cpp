// Files that are not plain files: a FIFO (which would keep a reader waiting for a writer),
// devices (endless or bottomless), directories, oversized files. Every reader goes
// through readRegularFile, every save through replaceFile and every log through
// RegularFileAppend; none may hang, and none puts or grows a plain file where something
// else stood.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include "common/FileReplace.h"
#include "common/RegularFileAppend.h"
#include "common/RegularFileRead.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

class Scratch {
public:
    Scratch() {
        std::string pattern = ::testing::TempDir() + "velmora-special-XXXXXX";
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs `work` with a time limit. A reader stuck on the FIFO is freed by opening the FIFO
// for writing and closing it (it then reads its end), so a fault fails the test instead
// of hanging it.
template <typename Work>
auto withinSeconds(const std::string& fifo, Work work) {
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "blocked on " << fifo;
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
    }
    return done.get();
}

}  // namespace

TEST(SpecialFiles, OnlyRegularFilesAreReadAndOnlyRegularFilesReplaced) {
    Scratch d;
    put(d / "plain", "abc\n");
    put(d / "limit", std::string(16, 'x'));
    put(d / "oversized", std::string(17, 'x'));
    fs::create_symlink("plain", d / "link");
    fs::create_directory(d / "folder");
    ASSERT_EQ(::mkfifo((d / "fifo").c_str(), 0600), 0);
    fs::create_symlink("fifo", d / "link-to-fifo");

    struct Case {
        std::string path;
        FileReadFault read;
        bool replaceable;     // a save may put a new file there
        bool scratch = true;  // ours to try the save on (never a device of the machine)
    };
    const std::vector<Case> cases = {
        {d / "plain", FileReadFault::None, true},
        {d / "limit", FileReadFault::None, true},
        {d / "link", FileReadFault::None, true},
        {d / "missing", FileReadFault::Missing, true},
        {d / "oversized", FileReadFault::TooLarge, true},
        {d / "folder", FileReadFault::NotRegular, false},
        {d / "fifo", FileReadFault::NotRegular, false},
        {d / "link-to-fifo", FileReadFault::NotRegular, false},
        {"/dev/zero", FileReadFault::NotRegular, false, false},
        {"/dev/null", FileReadFault::NotRegular, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const FileRead r = withinSeconds(d / "fifo", [&] { return readRegularFile(c.path, 16); });
        EXPECT_EQ(r.fault, c.read) << r.message;
        if (r.ok()) {
            EXPECT_EQ(r.text, contents(c.path));
        } else {
            EXPECT_TRUE(r.text.empty());
            EXPECT_NE(r.message.find(c.path), std::string::npos) << r.message;
        }
        std::string why;
        EXPECT_EQ(canReplaceFile(c.path, why), c.replaceable) << why;
        if (!c.scratch) continue;
        // A log is appended to where a save could put a file, and nowhere else.
        {
            const std::string was = c.replaceable ? contents(c.path) : std::string();
            const bool appended = withinSeconds(d / "fifo", [&] {
                RegularFileAppend log(c.path);
                return log.ok() && log.write("+");
            });
            EXPECT_EQ(appended, c.replaceable);
            if (appended) {
                EXPECT_EQ(contents(c.path), was + "+");
                put(c.path, was);
                if (c.read == FileReadFault::Missing) ::unlink(c.path.c_str());
            }
        }
        struct stat before {};
        const bool existed = ::lstat(c.path.c_str(), &before) == 0;
        const bool saved = withinSeconds(d / "fifo", [&] { return replaceFile(c.path, "new", why); });
        EXPECT_EQ(saved, c.replaceable) << why;
        struct stat after {};
        ASSERT_EQ(::lstat(c.path.c_str(), &after), 0);
        if (saved) {
            EXPECT_EQ(contents(c.path), "new");
        } else {
            EXPECT_NE(why.find("not a regular file"), std::string::npos) << why;
            // The node is the same one: same kind, same inode.
            ASSERT_TRUE(existed);
            EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
            EXPECT_EQ(after.st_ino, before.st_ino);
        }
    }
    // Saving through a link replaced the file it leads to; the link is still a link.
    EXPECT_TRUE(fs::is_symlink(d / "link"));
    EXPECT_EQ(contents(d / "plain"), "new");
}
