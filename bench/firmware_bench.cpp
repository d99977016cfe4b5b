// Figures for firmware work: reading a large HEX file, and programming a full image
// (Flash 0x2000..0xFFFF and the whole EEPROM) into a node and into an i2c module over a
// pseudo-terminal paced at 115200 bit/s, each beside its bound: the wire time of every
// frame (10 bits a byte) plus the pauses the sequence prescribes.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "bench/PacedSimulator.h"
#include "firmware/HexLoader.h"
#include "firmware/HexWriter.h"
#include "firmware/ImageWriter.h"
#include "link/qt/LinkSession.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"

using namespace velmora;
using namespace velmora::firmware;

namespace {

constexpr uint32_t kBaud = 115200;

void parseFigure() {
    std::string text;
    std::mt19937 rng(1);
    text.reserve(8u << 20);
    auto images = std::make_unique<FirmwareImages>();
    for (uint32_t a = 0; a <= 0xFFFF; ++a) images->FlashImage[a] = static_cast<uint8_t>(rng());
    const std::string one = writeHexText(*images, 0);
    const std::string end = ":00000001FF\r\n";
    const std::string body = one.substr(0, one.size() - end.size());
    while (text.size() < (8u << 20)) text += body;
    text += end;
    QElapsedTimer t;
    t.start();
    const HexLoadResult r = loadHexText(text, 0, *images);
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    std::printf("HEX parse: %.1f MB in %.1f ms (%.0f MB/s)%s\n",
                static_cast<double>(text.size()) / 1e6, ms,
                static_cast<double>(text.size()) / 1e3 / ms, r.ok() ? "" : " REJECTED");
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

void programFigure(bool i2c) {
    bench::PacedSimulator sim(kBaud);
    auto opened = sim.openSession();
    if (!opened) return;
    link::LinkSession& session = *opened;

    auto images = std::make_unique<FirmwareImages>();
    std::mt19937 rng(2);
    for (uint32_t a = 0x2000; a <= 0xFFFF; ++a) images->FlashImage[a] = static_cast<uint8_t>(rng());
    for (auto& cell : images->EepromImage) cell = static_cast<uint16_t>(0xFF00 | (rng() & 0xFF));
    ModuleLink link(session.engine(),
                    {1, static_cast<uint8_t>(i2c ? 0x10 : 0), static_cast<uint8_t>(i2c ? 2 : 1), 0x2000});
    ByteCounter counter;
    session.engine().setProtocolLog(&counter);
    QElapsedTimer t;
    t.start();
    const RunResult r = i2c ? writeImageI2c(link, *images, {}) : writeImageModbus(link, *images, {});
    const double seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    sim.stop();

    double bound = static_cast<double>(counter.bytes * 10) / kBaud;
    const double pauses = i2c ? 0.8 + 0.3 + 1024 * 0.020 : 0.5 + 1024 * 0.020;
    bound += pauses;
    std::printf("program a full image at level %d, %u bit/s: %.2f s, bound %.2f s (%.2f s of pauses), "
                "ratio %.3f (target <= 1.05)%s\n",
                i2c ? 2 : 1, kBaud, seconds, bound, pauses, seconds / bound, r.ok() ? "" : " FAILED");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    parseFigure();
    programFigure(false);
    programFigure(true);
    return 0;
}
