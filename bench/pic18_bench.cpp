// Figures for the node monitor on a simulated PIC18F6520 (velmora-pic18):
// - a full image (Flash 0x2000..0x7FFF, all of EEPROM) programmed and verified at
//   115200 bit/s with the chip held to real time, beside the wire-time bound (every
//   frame's bytes at 10 bits, plus the pauses the sequence prescribes) and beside that
//   bound with the chip's own Flash erase and write times added;
// - the processor time gpsim takes to keep the chip in real time meanwhile;
// - the simulated chip's speed against real time when it runs as fast as gpsim can:
//   the monitor waiting for a request, in gpsim alone, and under a stream of Flash
//   reads through the bridge (the chip standing still between them included).
// `velmora_pic18_bench speed` prints the speed figures alone (the programming takes
// some 40 s).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "firmware/ProgramRun.h"
#include "link/OperationKind.h"
#include "link/qt/LinkSession.h"
#include "pic18/ChipImage.h"

using namespace velmora;
using namespace velmora::firmware;

namespace {

constexpr uint32_t kBaud = 115200;
constexpr double kInstructionsPerSecond = 7372800.0 / 4;  // the monitor's crystal
constexpr double kFlashEraseS = 0.002, kFlashRowWriteS = 0.002;  // the chip stands still

class Chip {
public:
    bool start(const QStringList& args) {
        process_.start(VELMORA_PIC18_PATH, args);
        if (!process_.waitForStarted(5000)) return false;
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(10000)) return false;
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        return true;
    }
    ~Chip() {
        process_.terminate();
        process_.waitForFinished(5000);
    }
    QString path() const { return path_; }

    // The chip's instruction cycles so far, by gpsim's "cycles".
    std::optional<double> cycles() {
        process_.write("cycles\n");
        QString text;
        while (!text.contains("\n--\n")) {
            if (!process_.waitForReadyRead(10000)) return std::nullopt;
            text += QString::fromLocal8Bit(process_.readAll());
        }
        const auto m = QRegularExpression(R"((\d+) = 0x)").match(text);
        return m.hasMatch() ? std::optional<double>(m.captured(1).toDouble()) : std::nullopt;
    }

    // Processor seconds gpsim (velmora-pic18's child) has taken so far.
    double gpsimCpuSeconds() const {
        QFile children(QString("/proc/%1/task/%1/children").arg(process_.processId()));
        if (!children.open(QIODevice::ReadOnly)) return 0;
        const QString pid = QString::fromLatin1(children.readAll()).trimmed().section(' ', 0, 0);
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) return 0;
        const QStringList f = QString::fromLatin1(stat.readAll()).section(')', 1).split(' ', Qt::SkipEmptyParts);
        // utime and stime: fields 14 and 15, 12 and 13 after the command's name.
        return (f.value(11).toDouble() + f.value(12).toDouble()) / 100.0;
    }

private:
    QProcess process_;
    QString path_;
};

std::unique_ptr<link::LinkSession> openSession(const QString& path) {
    auto session = std::make_unique<link::LinkSession>();
    session->setChoice({1, path});
    session->comm().setBaud(kBaud);
    if (!session->openPort()) return nullptr;
    return session;
}

// Counts the bytes of every request sent and every reply received, from the engine's
// own log lines ("Send>" and "<Res " followed by two digits and a blank a byte).
struct ByteCounter : link::ProtocolLog {
    size_t bytes = 0;
    bool exchangeLogging() const override { return true; }
    void appendLine(const std::string& text, link::Rgb) override {
        if (text.size() > 5) bytes += (text.size() - 5) / 3;
    }
};

void programFigure() {
    Chip chip;
    if (!chip.start({})) {
        std::printf("program: velmora-pic18 did not start\n");
        return;
    }
    auto session = openSession(chip.path());
    if (!session) return;
    auto images = std::make_unique<FirmwareImages>();
    std::mt19937 rng(3);
    for (uint32_t a = 0x2000; a <= 0x7FFF; ++a) images->FlashImage[a] = static_cast<uint8_t>(rng());
    for (auto& cell : images->EepromImage) cell = static_cast<uint16_t>(0xFF00 | (rng() & 0xFF));
    // The link parameters as they are: the node keeps its speed and address.
    images->EepromImage[0xFD] = 0xFF15;
    images->EepromImage[0xFF] = 0xFF01;
    ModuleLink link(session->engine(), {1, 0, 1, 0x2000});
    ByteCounter counter;
    session->engine().setProtocolLog(&counter);
    const double cpuBefore = chip.gpsimCpuSeconds();
    QElapsedTimer t;
    t.start();
    const RunResult r = programModule(link, *images, true, {}, {});
    const double seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    const double cpu = chip.gpsimCpuSeconds() - cpuBefore;

    const size_t blocks = (0x8000 - 0x2000) / 64;
    const double pauses = 0.5 + 1024 * 0.020;
    const double wire = static_cast<double>(counter.bytes * 10) / kBaud + pauses;
    const double selfProgramming = static_cast<double>(blocks) * (kFlashEraseS + 8 * kFlashRowWriteS);
    std::printf("program and verify a full image (%zu Flash blocks, 1024 EEPROM bytes) at %u bit/s: "
                "%.2f s%s\n", blocks, kBaud, seconds, r.ok() ? "" : " FAILED");
    std::printf("  wire-time bound %.2f s (%.2f s of pauses): ratio %.3f\n", wire, pauses, seconds / wire);
    std::printf("  with the chip's Flash erase and row writes (%.2f s) %.2f s: ratio %.3f\n",
                selfProgramming, wire + selfProgramming, seconds / (wire + selfProgramming));
    std::printf("  gpsim's processor time keeping the chip in real time: %.2f s (%.0f %% of a core)\n",
                cpu, 100.0 * cpu / seconds);
}

void idleSpeedFigure() {
    const qint64 cycles = 20000000;
    // The chip as velmora-pic18 starts it: erased, the monitor, the speed code.
    QFile monitor(VELMORA_PIC18_MONITOR_HEX);
    std::string error;
    const std::string image = monitor.open(QIODevice::ReadOnly)
                                  ? pic18::chipImage(monitor.readAll().toStdString(), {}, 0x15, error)
                                  : std::string();
    QTemporaryFile file(QDir::tempPath() + "/velmora-pic18-bench-XXXXXX.hex");  // gpsim goes by the name
    if (image.empty() || !file.open() || file.write(image.data(), static_cast<qint64>(image.size())) < 0) {
        std::printf("speed: no chip image %s\n", error.c_str());
        return;
    }
    file.flush();
    QProcess gpsim;
    gpsim.start("gpsim", {"-i", "-S", "disable"});
    if (!gpsim.waitForStarted(5000)) {
        std::printf("speed: no gpsim\n");
        return;
    }
    gpsim.write(QString("processor p18f6520\nload %1\np18f6520.frequency = 7372800\nbreak c %2\n")
                    .arg(file.fileName())
                    .arg(cycles)
                    .toLocal8Bit());
    QString out;
    while (!out.contains("cycle break: ") && gpsim.waitForReadyRead(5000)) out += gpsim.readAll();
    QElapsedTimer t;
    t.start();
    gpsim.write("run\n");
    // The break's report comes with the next prompt; gpsim's quit would take a while
    // tearing down, so it is not asked to.
    while (!out.contains("p18f6520 0x") && gpsim.waitForReadyRead(60000)) out += gpsim.readAll();
    const double wall = static_cast<double>(t.nsecsElapsed()) / 1e9;
    gpsim.kill();
    gpsim.waitForFinished(5000);
    const double simulated = static_cast<double>(cycles) / kInstructionsPerSecond;
    std::printf("simulated chip waiting for a request, gpsim alone: %.2f s of chip time in %.2f s, "
                "%.1f x real time\n", simulated, wall, simulated / wall);
}

void speedFigure() {
    Chip chip;
    if (!chip.start({"--unpaced"})) {
        std::printf("speed: velmora-pic18 did not start\n");
        return;
    }
    auto session = openSession(chip.path());
    if (!session) return;
    const auto before = chip.cycles();
    QElapsedTimer t;
    t.start();
    unsigned reads = 0;
    while (t.elapsed() < 3000) {
        uint8_t data[128];
        session->engine().transact(
            {1, link::rdFlash, static_cast<uint16_t>(0x2000 + (reads % 64) * 128), 128, 0, 1}, {},
            data);
        ++reads;
    }
    const double wall = static_cast<double>(t.nsecsElapsed()) / 1e9;
    const auto after = chip.cycles();
    if (!before || !after) {
        std::printf("speed: gpsim gave no cycle count\n");
        return;
    }
    const double simulated = (*after - *before) / kInstructionsPerSecond;
    std::printf("simulated chip, as fast as gpsim runs it, under %u Flash reads of 128 bytes: "
                "%.2f s of chip time in %.2f s, %.2f x real time\n",
                reads, simulated, wall, simulated / wall);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2 || std::string(argv[1]) != "speed") programFigure();
    idleSpeedFigure();
    speedFigure();
    return 0;
}
