// A serial device the user may not open: the program says so, in Russian, with the fix
// (join the device's group, usually dialout, and log in again), in the window and from
// velmora-cli. Run as root, the test first becomes "nobody", since root opens anything.

#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "app/TFselectComm.h"
#include "common/gui/WritableFolder.h"
#include "app/uVelmora.h"
#include "link/PortAccess.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using velmora::testing::MainWindow;
using velmora::testing::whenModal;

namespace {

// A terminal device of this process's own, with the rights given.
struct OwnDevice {
    int master = -1, slave = -1;
    std::string path;
    explicit OwnDevice(mode_t mode) {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
        path = name;
        ::chmod(name, mode);
    }
    ~OwnDevice() {
        if (slave >= 0) ::close(slave);
        if (master >= 0) ::close(master);
    }
};

std::string groupName(gid_t gid) {
    const struct group* g = ::getgrgid(gid);
    return g ? g->gr_name : "";
}

// The test may have left root for "nobody", who cannot reach a build folder inside a
// 0700 folder (a home folder, a mktemp -d): the CLI is then out of its reach.
#define SKIP_UNLESS_CLI_REACHABLE()                                                          \
    if (::access(VELMORA_CLI_PATH, X_OK) != 0)                                             \
    GTEST_SKIP() << "velmora-cli at " VELMORA_CLI_PATH " cannot be run by uid "            \
                 << ::geteuid() << " (a folder on its path is closed to that user); "       \
                 << "build in a folder every user may enter to run this test"

}  // namespace

TEST(PortAccess, OnlyMissingRightsAreAPermissionProblem) {
    QTemporaryDir dir;
    const std::string readable = (dir.path() + "/plain").toStdString();
    QFile f(QString::fromStdString(readable));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    EXPECT_FALSE(link::portPermissionProblem(readable));
    EXPECT_FALSE(link::portPermissionProblem(dir.path().toStdString() + "/absent"));
    EXPECT_FALSE(link::portPermissionProblem(""));

    OwnDevice closed(0);
    ASSERT_FALSE(closed.path.empty());
    auto p = link::portPermissionProblem(closed.path);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->path, closed.path);
    EXPECT_EQ(p->group, "dialout");  // the device's own group grants nothing: the usual one

    // Group members may use it, the owner may not: the fix is the device's own group.
    OwnDevice groupOnly(S_IRGRP | S_IWGRP);
    struct stat st {};
    ASSERT_EQ(::stat(groupOnly.path.c_str(), &st), 0);
    auto q = link::portPermissionProblem(groupOnly.path);
    ASSERT_TRUE(q);
    if (st.st_gid != 0 && !groupName(st.st_gid).empty()) EXPECT_EQ(q->group, groupName(st.st_gid));

    const std::string advice = link::permissionAdvice({"/dev/ttyUSB0", "dialout", "ivan"});
    EXPECT_EQ(advice,
              "Нет прав на открытие порта /dev/ttyUSB0: пользователь ivan не входит в группу dialout. "
              "Добавьте его в группу командой \"sudo usermod -aG dialout ivan\" и войдите в систему "
              "заново.");
}

TEST(PortPermissionCli, RefusalSaysWhyAndTheFix) {
    SKIP_UNLESS_CLI_REACHABLE();
    OwnDevice closed(0);
    ASSERT_FALSE(closed.path.empty());
    QProcess p;
    p.start(VELMORA_CLI_PATH, {"--port", QString::fromStdString(closed.path), "trans", "1", "rdRAM", "0", "1"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 3);
    EXPECT_TRUE(err.contains(QString::fromStdString("cannot open " + closed.path))) << err.toStdString();
    EXPECT_TRUE(err.contains("Нет прав на открытие порта " + QString::fromStdString(closed.path)))
        << err.toStdString();
    EXPECT_TRUE(err.contains("sudo usermod -aG dialout")) << err.toStdString();
    EXPECT_TRUE(err.contains("войдите в систему заново")) << err.toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
}

TEST(PortPermissionCli, AnAbsentDeviceIsNotCalledAPermissionProblem) {
    SKIP_UNLESS_CLI_REACHABLE();
    QProcess p;
    p.start(VELMORA_CLI_PATH, {"--port", "/nonexistent/ttyUSB7", "trans", "1", "rdRAM", "0", "1"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 3);
    EXPECT_FALSE(QString::fromUtf8(p.readAllStandardError()).contains("Нет прав"));
}

TEST_F(MainWindow, PortWithoutRightsIsExplainedInTheDialogAndTheStatusBar) {
    OwnDevice closed(0);
    ASSERT_FALSE(closed.path.empty());
    const QString path = QString::fromStdString(closed.path);
    options.portOverride = link::PortChoice{1, path};
    QString problem;
    bool shown = false;
    whenModal([&](QWidget* dialog) {
        auto* select = qobject_cast<app::TFselectComm*>(dialog);
        ASSERT_NE(select, nullptr);
        shown = select->lbOpenProblem->isVisible();
        problem = select->lbOpenProblem->text();
        EXPECT_EQ(select->lbOpenProblem->accessibleDescription(), problem);
        select->Button1->click();  // tries once more, fails the same way
    });
    start();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(problem.startsWith("Нет прав на открытие порта " + path)) << problem.toStdString();
    EXPECT_TRUE(problem.contains("войдите в систему заново"));
    EXPECT_FALSE(window->Comm().isOpen());
    EXPECT_EQ(window->portIcon(), 17);
    EXPECT_EQ(panel(2), problem);

    // Once the rights are there, the dialog opens the port and the advice is gone.
    ASSERT_EQ(::chmod(closed.path.c_str(), 0600), 0);
    bool stillShown = true;
    whenModal([&](QWidget* dialog) {
        auto* select = static_cast<app::TFselectComm*>(dialog);
        stillShown = select->lbOpenProblem->isVisible();
        select->Button1->click();
    });
    window->mmNomCommClick();
    EXPECT_TRUE(window->Comm().isOpen());
    EXPECT_TRUE(stillShown);  // shown when the dialog opened: the port was still closed
    EXPECT_TRUE(window->Comm().openAdvice().isEmpty());
}

// An installed copy lives in a folder the user cannot write: its own files (settings, the
// tester's log) go to the user's folders instead; a copy in a folder of the user's keeps
// them beside itself.
TEST(ProgramFiles, GoBesideTheProgramOnlyWhereTheUserMayWrite) {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    QTemporaryDir own;
    EXPECT_EQ(gui::programOrUserFolder(own.path(), QStandardPaths::GenericConfigLocation), own.path());
    QDir().mkpath(own.path() + "/bin");
    ASSERT_TRUE(QFile::setPermissions(own.path() + "/bin", QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_EQ(gui::programOrUserFolder(own.path() + "/bin", QStandardPaths::GenericConfigLocation),
              home.path() + "/config/velmora");
    EXPECT_EQ(gui::programOrUserFolder(own.path() + "/bin", QStandardPaths::GenericDataLocation),
              home.path() + "/data/velmora");
    EXPECT_TRUE(QFileInfo(home.path() + "/data/velmora").isDir());  // made for the first file
    QFile::setPermissions(own.path() + "/bin", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

int main(int argc, char** argv) {
    // Root opens every device whatever its rights; an ordinary user is what is tested.
    if (::geteuid() == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            std::fprintf(stderr, "cannot leave root for the test\n");
            return 1;
        }
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
