// The simulator program: serving, its paths, and what it refuses on its command line.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <vector>

namespace {

struct Finished {
    bool ended = false;
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs velmora-sim to its end. One that starts serving instead of refusing is killed
// after the guard time and reported as not ended.
Finished runSim(const QStringList& args) {
    QProcess sim;
    sim.start(VELMORA_SIM_PATH, args);
    Finished f;
    f.ended = sim.waitForFinished(5000);
    if (!f.ended) {
        sim.kill();
        sim.waitForFinished(5000);
    }
    f.exitCode = sim.exitCode();
    f.out = QString::fromUtf8(sim.readAllStandardOutput());
    f.err = QString::fromUtf8(sim.readAllStandardError());
    return f;
}

// Reads the pty path the program prints once it serves.
QString servedPath(QProcess& sim) {
    while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {
    }
    return QString::fromUtf8(sim.readLine()).trimmed();
}

// A Unix socket's name exists in the file system but cannot be opened, even by root.
bool makeSocketFile(const QString& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    QByteArray name = QFile::encodeName(path);
    if (fd < 0 || static_cast<size_t>(name.size()) >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, name.constData(), static_cast<size_t>(name.size()));
    bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);  // the name stays behind
    return bound;
}

const char* const kCountOptions[] = {"--baud",         "--drop",          "--corrupt",
                                     "--late",         "--stray",         "--hangup-after",
                                     "--replug-after", "--fault-percent", "--fault-seed"};

}  // namespace

TEST(SimulatorProgram, ServesPrintsItsPathsAndCleansUp) {
    QTemporaryDir dir;
    QString link = dir.path() + "/adapter";
    QProcess sim;
    sim.start(VELMORA_SIM_PATH, {"--link", link});
    QString pty = servedPath(sim);
    EXPECT_TRUE(pty.startsWith("/dev/pts/"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), pty);

    QProcess cli;
    cli.start(VELMORA_CLI_PATH, {"--port", link, "trans", "3", "rdEE", "FF", "1"});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_EQ(cli.readAllStandardOutput(), "03\n");

    ::kill(static_cast<pid_t>(sim.processId()), SIGTERM);
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(link));
}

TEST(SimulatorProgram, BadConfigurationIsRefusedWithItsLine) {
    QTemporaryDir dir;
    QFile config(dir.path() + "/net.txt");
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("node 01\nram 10 zz\n");
    config.close();
    Finished f = runSim({"--config", config.fileName()});
    ASSERT_TRUE(f.ended);
    EXPECT_EQ(f.exitCode, 2);
    EXPECT_EQ(f.err, "velmora-sim: config line 2: expected an address and hexadecimal bytes\n");
}

TEST(SimulatorProgram, PrintsTheBuiltInNetworkItReads) {
    Finished f = runSim({"--print-config"});
    ASSERT_TRUE(f.ended);
    EXPECT_EQ(f.exitCode, 0);
    EXPECT_TRUE(f.out.contains("node 01"));
    EXPECT_TRUE(f.out.contains("i2c 10"));
}

TEST(SimulatorProgram, CountsThatAreNotWholeNumbersAreRefused) {
    // 4294967296 is 2^32, one past every count's range.
    const char* const values[] = {"-1",
                                  "-0",
                                  "+5",
                                  "abc",
                                  "",
                                  " 7",
                                  "12x",
                                  "0x10",
                                  "1e3",
                                  "4294967296",
                                  "18446744073709551615"};
    for (const char* option : kCountOptions) {
        for (const char* value : values) {
            Finished f = runSim({option, value});
            SCOPED_TRACE(std::string(option) + " '" + value + "'");
            ASSERT_TRUE(f.ended) << "it served instead of refusing";
            EXPECT_EQ(f.exitCode, 2);
            EXPECT_TRUE(f.out.isEmpty());
            EXPECT_TRUE(f.err.startsWith(QString("velmora-sim: %1 '%2': ").arg(option, value)))
                << f.err.toStdString();
            EXPECT_TRUE(f.err.contains("whole number")) << f.err.toStdString();
            EXPECT_EQ(f.err.count('\n'), 1) << f.err.toStdString();
        }
    }
    // The wrap-around that used to turn -1 into a drop of every 4294967295th reply.
    EXPECT_EQ(runSim({"--drop", "-1"}).err,
              "velmora-sim: --drop '-1': expected a whole number from 0 to 4294967295\n");
    // A share of the replies cannot pass all of them.
    EXPECT_EQ(runSim({"--fault-percent", "101"}).err,
              "velmora-sim: --fault-percent '101': expected a whole number from 0 to 100\n");
}

TEST(SimulatorProgram, OptionsWithoutTheirValueOrUnknownAreRefused) {
    struct Case {
        QStringList args;
        QString message;
    };
    const Case cases[] = {
        {{"--drop"}, "velmora-sim: --drop needs a value\n"},
        {{"--baud", "9600", "--late"}, "velmora-sim: --late needs a value\n"},
        {{"--config"}, "velmora-sim: --config needs a value\n"},
        {{"--link"}, "velmora-sim: --link needs a value\n"},
        {{"--log-requests"}, "velmora-sim: --log-requests needs a value\n"},
        {{"--speed", "9600"}, "velmora-sim: unknown option --speed (--help lists the options)\n"},
    };
    for (const Case& c : cases) {
        Finished f = runSim(c.args);
        SCOPED_TRACE(c.args.join(' ').toStdString());
        ASSERT_TRUE(f.ended);
        EXPECT_EQ(f.exitCode, 2);
        EXPECT_EQ(f.err, c.message);
    }
}

TEST(SimulatorProgram, ConfigThatIsNoReadableFileIsRefused) {
    QTemporaryDir dir;
    const QString missing = dir.path() + "/missing.txt";
    const QString socket = dir.path() + "/sock";
    ASSERT_TRUE(makeSocketFile(socket));
    struct Case {
        QString path;
        QString problem;
    };
    // A FIFO with no writer would keep a reader waiting for ever.
    const QString fifo = dir.path() + "/fifo";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::vector<Case> cases = {
        {dir.path(), "not a regular file"},
        {"/", "not a regular file"},
        {missing, "cannot read it: No such file or directory"},
        {socket, "not a regular file"},
        {fifo, "not a regular file"},
        {"/dev/zero", "not a regular file"},
    };
    // Root reads a file whatever its mode, so this case only counts when it holds.
    const QString locked = dir.path() + "/locked.txt";
    QFile lockedFile(locked);
    ASSERT_TRUE(lockedFile.open(QIODevice::WriteOnly));
    lockedFile.write("node 01\n");
    lockedFile.close();
    ::chmod(QFile::encodeName(locked).constData(), 0);
    if (::access(QFile::encodeName(locked).constData(), R_OK) != 0)
        cases.push_back({locked, "cannot read it: Permission denied"});

    for (const Case& c : cases) {
        Finished f = runSim({"--config", c.path});
        SCOPED_TRACE(c.path.toStdString());
        ASSERT_TRUE(f.ended) << "it served instead of refusing";
        EXPECT_EQ(f.exitCode, 2);
        EXPECT_TRUE(f.out.isEmpty());
        EXPECT_TRUE(f.err.startsWith(QString("velmora-sim: --config '%1': ").arg(c.path)))
            << f.err.toStdString();
        EXPECT_TRUE(f.err.contains(c.problem)) << f.err.toStdString();
    }
}

TEST(SimulatorProgram, CountsAtTheEdgeOfTheirRangeAreAccepted) {
    QProcess sim;
    sim.start(VELMORA_SIM_PATH,
              {"--baud", "0", "--drop", "4294967295", "--corrupt", "0", "--late", "0", "--stray",
               "0", "--hangup-after", "4294967295", "--replug-after", "4294967295",
               "--fault-percent", "100", "--fault-seed", "4294967295"});
    EXPECT_TRUE(servedPath(sim).startsWith("/dev/pts/"));
    ::kill(static_cast<pid_t>(sim.processId()), SIGTERM);
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}
