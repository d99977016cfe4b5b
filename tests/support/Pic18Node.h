#pragma once
// velmora-pic18 run as a process: the node monitor on a simulated PIC18F6520 with its
// USART on a pseudo-terminal. What the chip holds is read through gpsim's own commands
// (its console on the process's standard input), never through the program's link.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace velmora::testing {

class Pic18Node {
public:
    ~Pic18Node() { stop(); }

    // Starts the chip with `args`; false (with a test failure) when no pty came.
    bool start(const QStringList& args = {"--unpaced"}) {
        process_.setProgram(VELMORA_PIC18_PATH);
        process_.setArguments(args);
        process_.start();
        if (!process_.waitForStarted(5000)) {
            ADD_FAILURE() << "velmora-pic18 did not start";
            return false;
        }
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(10000)) {
                ADD_FAILURE() << "velmora-pic18 gave no pty: "
                              << process_.readAllStandardError().toStdString();
                return false;
            }
        }
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        return true;
    }

    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) process_.kill();
    }

    QString path() const { return path_; }
    QProcess& process() { return process_; }

    // Each command's output, in order, run with the chip stopped.
    std::vector<QString> gpsim(const QStringList& commands) {
        process_.write((commands.join('\n') + '\n').toLocal8Bit());
        std::vector<QString> out;
        QString current;
        while (out.size() < static_cast<size_t>(commands.size())) {
            if (!process_.canReadLine() && !process_.waitForReadyRead(20000)) {
                ADD_FAILURE() << "gpsim did not answer " << commands.join(", ").toStdString();
                break;
            }
            while (process_.canReadLine()) {
                const QString line = QString::fromLocal8Bit(process_.readLine());
                if (line == "--\n") {
                    out.push_back(current);
                    current.clear();
                } else {
                    current += line;
                }
            }
        }
        return out;
    }

    // The value gpsim prints for an expression ("x[$10] = $5a", "latd = 0x5a", or a
    // configuration word's "$0022" on a line of its own), or -1.
    static int value(const QString& output) {
        static const QRegularExpression re(R"((?:=\s*|^)(?:\$|0x)([0-9a-fA-F]+))",
                                           QRegularExpression::MultilineOption);
        const auto m = re.match(output);
        return m.hasMatch() ? m.captured(1).toInt(nullptr, 16) : -1;
    }

    std::vector<int> ram(unsigned from, unsigned count) {
        return values("p18f6520.ramData[0x%1]", from, count, 1);
    }
    std::vector<int> eeprom(unsigned from, unsigned count) {
        return values("p18f6520.eeData[0x%1]", from, count, 1);
    }
    // Flash bytes from the program memory's 16-bit words, low byte first.
    std::vector<int> flash(unsigned from, unsigned count) {
        std::vector<int> words = values("p18f6520.romData[0x%1]", from & ~1u,
                                        (count + (from & 1) + 1) / 2, 2);
        std::vector<int> bytes;
        for (int w : words) {
            bytes.push_back(w < 0 ? -1 : w & 0xFF);
            bytes.push_back(w < 0 ? -1 : w >> 8);
        }
        return {bytes.begin() + (from & 1), bytes.begin() + (from & 1) + count};
    }
    void setRam(unsigned address, int value) {
        gpsim({QString("p18f6520.ramData[0x%1] = 0x%2").arg(address, 0, 16).arg(value, 0, 16)});
    }

private:
    std::vector<int> values(const char* pattern, unsigned from, unsigned count, unsigned step) {
        QStringList commands;
        for (unsigned i = 0; i < count; ++i)
            commands << QString(pattern).arg(from + i * step, 0, 16);
        std::vector<int> out;
        for (const QString& o : gpsim(commands)) out.push_back(value(o));
        return out;
    }

    QProcess process_;
    QString path_;
};

// velmora-cli against the node.
struct CliResult {
    int status;
    std::string out;
    std::string err;
};

inline CliResult runCli(const QString& port, const QStringList& args) {
    QProcess p;
    p.start(VELMORA_CLI_PATH, QStringList{"--port", port} + args);
    p.waitForFinished(120000);
    return {p.exitCode(), p.readAllStandardOutput().toStdString(),
            p.readAllStandardError().toStdString()};
}

}  // namespace velmora::testing
