#include "cli/ScanCommand.h"

#include <ostream>

#include "common/HexText.h"
#include "system/CurrentModule.h"
#include "system/ScanState.h"

namespace velmora::cli {

namespace {

class LinePrinter : public system::ScanListener {
public:
    LinePrinter(std::ostream& out, std::ostream& progress) : out_(out), progress_(progress) {}
    void probingNode(uint8_t cid) override {
        progress_ << "scan: node " << hexNumber(cid, 2) << "\n";
    }
    void nodeFound(size_t, uint8_t cid) override {
        line_ = hexNumber(cid, 2) + ":";
        open_ = true;
        progress_ << "scan: node " << hexNumber(cid, 2) << " answers; probing its modules\n";
    }
    void moduleFound(size_t, size_t, uint8_t slave) override { line_ += " " + hexNumber(slave, 2); }
    void nodeDone(size_t) override { flush(); }
    // A node whose module sweep was cut short is still printed with what it has.
    void flush() {
        if (!open_) return;
        out_ << line_ << "\n" << std::flush;
        open_ = false;
    }

private:
    std::ostream& out_;
    std::ostream& progress_;
    std::string line_;
    bool open_ = false;
};

}  // namespace

std::optional<ScanCommand> parseScanCommand(const std::vector<std::string>& words,
                                            std::string& error) {
    ScanCommand c;
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] != "--nodes") {
            error = "scan takes only --nodes A-B, not '" + words[i] + "'";
            return std::nullopt;
        }
        if (i + 1 >= words.size()) {
            error = "--nodes needs a range A-B";
            return std::nullopt;
        }
        const std::string& range = words[++i];
        const size_t dash = range.find('-');
        const auto nodes = dash == std::string::npos
                               ? std::nullopt
                               : system::nodeRangeOf(std::string_view(range).substr(0, dash),
                                                     std::string_view(range).substr(dash + 1));
        if (!nodes) {
            error = "bad node range '" + range + "' (hex A-B, 01 <= A <= B <= FF)";
            return std::nullopt;
        }
        c.nodes = *nodes;
    }
    return c;
}

int runScanCommand(const ScanCommand& command, link::TransactionEngine& engine, std::ostream& out,
                   std::ostream& progress) {
    system::CurrentModule module;
    system::ScanState flags;
    LinePrinter printer(out, progress);
    system::ScanSweep sweep(engine, module, flags, printer, command.nodes);
    sweep.start();
    while (sweep.step()) {
    }
    printer.flush();
    switch (sweep.end()) {
        case system::ScanEnd::NodeLimit:
            progress << "velmora-cli: Превышен лимит количества узлов Modbus\n";
            return 1;
        case system::ScanEnd::ModuleLimit:
            progress << "velmora-cli: Превышен лимит количества модулей 1-го узла\n";
            return 1;
        default:
            return 0;
    }
}

}  // namespace velmora::cli
