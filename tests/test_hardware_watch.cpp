// The hardware watch over real pseudo-terminals and real links in a temporary
// directory: every way the watched path can go away or come back is noticed, and
// nothing else makes it list the ports.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <vector>

#include "link/qt/HardwareWatch.h"
#include "link/qt/LinkChain.h"
#include "link/qt/PortChoice.h"
#include "link/qt/SerialNodes.h"

using namespace velmora::link;

namespace {

// Generous: a change is due within a second; the deadline only stops a broken test.
constexpr int kDeadlineMs = 3000;

// Runs the event loop, sleeping between events, for `ms`.
void runEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool emittedWithin(QSignalSpy& spy, int ms = kDeadlineMs) {
    return spy.count() > 0 || spy.wait(ms);
}

// A pseudo-terminal whose slave side exists in /dev/pts while it is open.
class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
            path_ = QString::fromLocal8Bit(::ptsname(master_));
    }
    ~Pty() { close(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const QString& path() const { return path_; }
    void close() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    QString path_;
};

bool makeLink(const QString& target, const QString& link) {
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) ==
           0;
}

// As the simulator replaces its link: a new link under a temporary name, renamed over.
bool replaceLink(const QString& target, const QString& link) {
    const QString temp = link + ".new";
    return makeLink(target, temp) &&
           ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(link).constData()) == 0;
}

// A temporary directory for links, two terminals and a watch whose port list never
// changes (only the watched path does), counting each time it lists the ports.
struct Scene {
    QString at(const QString& name) const { return dir.path() + '/' + name; }
    bool ready() const {
        return dir.isValid() && !first.path().isEmpty() && !second.path().isEmpty();
    }

    QTemporaryDir dir;
    Pty first;
    Pty second;
    int listings = 0;
    HardwareWatch watch{[this] {
        ++listings;
        return QStringList{QStringLiteral("/dev/ttyS0")};
    }};
};

class Watch : public ::testing::Test, protected Scene {
protected:
    void SetUp() override { ASSERT_TRUE(ready()); }
};

struct PathEvent {
    const char* what;
    std::function<bool(Scene&)> before;  // the state the watch starts in
    std::function<bool(Scene&)> act;     // the change it must report
};

const std::vector<PathEvent>& linkEvents() {
    static const std::vector<PathEvent> events{
        {"link removed", [](Scene& s) { return makeLink(s.first.path(), s.at("adapter")); },
         [](Scene& s) { return QFile::remove(s.at("adapter")); }},
        {"link re-pointed by rename",
         [](Scene& s) { return makeLink(s.first.path(), s.at("adapter")); },
         [](Scene& s) { return replaceLink(s.second.path(), s.at("adapter")); }},
        {"link re-pointed in place",
         [](Scene& s) { return makeLink(s.first.path(), s.at("adapter")); },
         [](Scene& s) {
             return QFile::remove(s.at("adapter")) && makeLink(s.second.path(), s.at("adapter"));
         }},
        {"link created", [](Scene&) { return true; },
         [](Scene& s) { return makeLink(s.first.path(), s.at("adapter")); }},
        {"link moved in", [](Scene& s) { return makeLink(s.first.path(), s.at("elsewhere")); },
         [](Scene& s) { return QFile::rename(s.at("elsewhere"), s.at("adapter")); }},
        {"pty behind the link closed",
         [](Scene& s) { return makeLink(s.first.path(), s.at("adapter")); },
         [](Scene& s) {
             s.first.close();
             return true;
         }},
        {"pty behind a link to the link closed",
         [](Scene& s) {
             return makeLink(s.first.path(), s.at("adapter-real")) &&
                    makeLink("adapter-real", s.at("adapter"));
         },
         [](Scene& s) {
             s.first.close();
             return true;
         }},
    };
    return events;
}

TEST(HardwareWatchEvents, RemovedRepointedCreatedOrClosedIsNoticed) {
    for (const PathEvent& e : linkEvents()) {
        SCOPED_TRACE(e.what);
        Scene s;  // a fresh watch, directory and pair of terminals for each row
        ASSERT_TRUE(s.ready());
        ASSERT_TRUE(e.before(s));
        s.watch.setWatchedPath(s.at("adapter"));
        s.watch.start(1000);
        QSignalSpy changed(&s.watch, &HardwareWatch::changed);
        ASSERT_TRUE(e.act(s));
        EXPECT_TRUE(emittedWithin(changed));
    }
}

TEST_F(Watch, PtyWatchedDirectlyIsNoticedClosing) {
    watch.setWatchedPath(first.path());
    watch.start(1000);
    QSignalSpy changed(&watch, &HardwareWatch::changed);
    first.close();
    EXPECT_TRUE(emittedWithin(changed));
}

TEST_F(Watch, UnrelatedFilesInTheSameDirectoriesTakeNoLook) {
    ASSERT_TRUE(makeLink(first.path(), at("adapter")));
    watch.setWatchedPath(at("adapter"));
    watch.start(1000);
    const int afterStart = listings;
    QSignalSpy changed(&watch, &HardwareWatch::changed);
    // Beside the link, and a terminal beside the one in use (in /dev/pts).
    QFile other(at("adapter.log"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    ASSERT_TRUE(makeLink(second.path(), at("adapterx")));
    ASSERT_TRUE(QFile::remove(at("adapterx")));
    second.close();
    runEventLoop(500);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(listings, afterStart);
}

TEST_F(Watch, IdleWatchListsNothing) {
    ASSERT_TRUE(makeLink(first.path(), at("adapter")));
    watch.setWatchedPath(at("adapter"));
    watch.start(40);  // the interval the window tests use
    const int afterStart = listings;
    EXPECT_GE(afterStart, 1);  // the first look, to compare with later
    runEventLoop(400);
    if (watch.method() == "poll") GTEST_SKIP() << "neither udev nor inotify here";
    EXPECT_EQ(listings, afterStart);
}

TEST_F(Watch, SwitchingThePathWatchesTheNewOne) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("other"));
    ASSERT_TRUE(makeLink(first.path(), at("adapter")));
    ASSERT_TRUE(makeLink(second.path(), at("other/adapter")));
    watch.setWatchedPath(at("adapter"));
    watch.start(1000);
    watch.setWatchedPath(at("other/adapter"));
    QSignalSpy changed(&watch, &HardwareWatch::changed);
    ASSERT_TRUE(QFile::remove(at("other/adapter")));
    EXPECT_TRUE(emittedWithin(changed));
}

TEST_F(Watch, StoppedWatchStaysQuiet) {
    ASSERT_TRUE(makeLink(first.path(), at("adapter")));
    watch.setWatchedPath(at("adapter"));
    watch.start(40);
    watch.stop();
    QSignalSpy changed(&watch, &HardwareWatch::changed);
    ASSERT_TRUE(QFile::remove(at("adapter")));
    runEventLoop(400);
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(Watch, ChangeAfterAReplugIsNoticedToo) {
    // The second change needs the watch re-armed on the new terminal after the first.
    ASSERT_TRUE(makeLink(first.path(), at("adapter")));
    watch.setWatchedPath(at("adapter"));
    watch.start(1000);
    QSignalSpy changed(&watch, &HardwareWatch::changed);
    ASSERT_TRUE(replaceLink(second.path(), at("adapter")));
    ASSERT_TRUE(emittedWithin(changed));
    first.close();  // the old terminal: no longer what the link leads to
    runEventLoop(400);
    EXPECT_EQ(changed.count(), 1);
    second.close();
    EXPECT_TRUE(changed.count() > 1 || changed.wait(kDeadlineMs));
}

struct ChainCase {
    const char* path;
    QStringList expected;  // relative to the temporary directory
};

TEST(LinkChain, FollowsEachLinkToItsEnd) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString d = dir.path();
    ASSERT_TRUE(QDir(d).mkdir("sub"));
    QFile device(d + "/device");
    ASSERT_TRUE(device.open(QIODevice::WriteOnly));
    ASSERT_TRUE(makeLink("device", d + "/relative"));
    ASSERT_TRUE(makeLink(d + "/relative", d + "/absolute"));
    ASSERT_TRUE(makeLink("../device", d + "/sub/up"));
    ASSERT_TRUE(makeLink("missing", d + "/dangling"));
    ASSERT_TRUE(makeLink("loop-b", d + "/loop-a"));
    ASSERT_TRUE(makeLink("loop-a", d + "/loop-b"));

    const std::vector<ChainCase> cases{
        {"device", {"device"}},
        {"missing", {"missing"}},
        {"relative", {"relative", "device"}},
        {"absolute", {"absolute", "relative", "device"}},
        {"sub/up", {"sub/up", "device"}},
        {"sub/../relative", {"relative", "device"}},
        {"dangling", {"dangling", "missing"}},
        {"loop-a", {"loop-a", "loop-b"}},
    };
    for (const ChainCase& c : cases) {
        QStringList expected;
        for (const QString& e : c.expected) expected << d + '/' + e;
        EXPECT_EQ(linkChain(d + '/' + c.path), expected) << c.path;
    }
    EXPECT_TRUE(linkChain("").isEmpty());
    // A chain longer than allowed stops after that many links.
    EXPECT_EQ(linkChain(d + "/absolute", 1), (QStringList{d + "/absolute", d + "/relative"}));
}

}  // namespace

namespace {

// A /sys/class/tty of our own: each entry a folder, with a "device" link where the
// kernel would put one.
struct TtyClass {
    QTemporaryDir dir;
    void add(const QString& name, bool withDevice) {
        ASSERT_TRUE(QDir(dir.path()).mkpath(name));
        if (withDevice)
            ASSERT_TRUE(QFile::link(dir.path(), dir.path() + "/" + name + "/device"));
    }
};

}  // namespace

TEST(SerialDeviceNodes, ListsTheEntriesWithADeviceBehindThem) {
    TtyClass tty;
    tty.add("ttyUSB1", true);
    tty.add("tty0", false);  // a virtual console: no device
    tty.add("ttyS0", true);
    tty.add("ttyACM0", true);
    tty.add("console", false);
    // A device link that points nowhere still says a device was registered there.
    ASSERT_TRUE(QDir(tty.dir.path()).mkpath("ttyUSB0"));
    ASSERT_TRUE(QFile::link("/nonexistent", tty.dir.path() + "/ttyUSB0/device"));
    EXPECT_EQ(serialDeviceNodes(tty.dir.path()),
              (QStringList{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB1"}));
}

TEST(SerialDeviceNodes, AFolderWithNoSerialDeviceFallsBackToTheFullListing) {
    TtyClass tty;
    tty.add("tty0", false);
    EXPECT_EQ(serialDeviceNodes(tty.dir.path()), presentPorts());
    EXPECT_EQ(serialDeviceNodes(tty.dir.path() + "/missing"), presentPorts());
}

TEST(SerialDeviceNodes, AnAdapterPluggedInChangesTheList) {
    TtyClass tty;
    tty.add("ttyS0", true);
    const QStringList before = serialDeviceNodes(tty.dir.path());
    tty.add("ttyUSB0", true);
    EXPECT_NE(serialDeviceNodes(tty.dir.path()), before);
}
