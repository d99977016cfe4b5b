// A gpsim module that joins a simulated chip's USART pins to a pseudo-terminal, bit by
// bit in simulated time: the chip's TX line is sampled into bytes for the terminal, the
// terminal's bytes are shifted onto the chip's RX line at the line's speed, 8N1.
//
// gpsim script:
//     module library libvelmora_pic18_bridge.so
//     module load velmora_uart bridge
//     bridge.baud = 115200        bits per second
//     bridge.fd = 5               the pty's master, inherited by gpsim
//     bridge.paced = 1            keep simulated time from running ahead of real time
//                                 (0: as fast as gpsim can, the line as fast too)
//     node ntx
//     attach ntx portc6 bridge.tx
//     node nrx
//     attach nrx portc7 bridge.rx
//     node nlamp
//     attach nlamp portb0 bridge.lamp
//
// Paced, the chip runs no faster than the real chip would, so the wire takes its real
// time. While the firmware lights the lamp on `lamp` (it sinks it: lit is low) to say
// that it waits for a request, and nothing is on the line either way, the simulation
// stands still until the terminal sends: an idle chip costs no processor time, and it
// cannot tell. The lamp's resistor pulls the pin high while nothing drives it.

#include <gpsim/gpsim_interface.h>
#include <gpsim/gpsim_time.h>
#include <gpsim/modules.h>
#include <gpsim/processor.h>
#include <gpsim/registers.h>
#include <gpsim/stimuli.h>
#include <gpsim/trigger.h>
#include <gpsim/value.h>

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// EECON1 of the PIC18 and its bits.
constexpr unsigned kEecon1 = 0xFA6;
constexpr unsigned kEepgd = 0x80, kWrerr = 0x08, kWr = 0x02;

class UartBridge;

// The chip's TX line as the bridge hears it.
class TxPin : public IOPIN {
public:
    TxPin(UartBridge& bridge, const std::string& name);
    void setDrivenState(bool state) override;

private:
    UartBridge& bridge_;
};

// A timed event of the bridge: the next RX bit, the middle of a TX stop bit, the tick.
class Event : public TriggerObject {
public:
    Event(UartBridge& bridge, void (UartBridge::*action)()) : bridge_(bridge), action_(action) {}
    void callback() override { (bridge_.*action_)(); }

private:
    UartBridge& bridge_;
    void (UartBridge::*action_)();
};

// Hears of the run's end, so the bridge can say when the next run has begun.
class RunWatch : public Interface {
public:
    explicit RunWatch(bool& stopped) : stopped_(stopped) {}
    void SimulationHasStopped(gpointer) override { stopped_ = true; }

private:
    bool& stopped_;
};

class UartBridge : public Module {
public:
    explicit UartBridge(const char* name);
    ~UartBridge() override;

    static Module* construct(const char* name) { return new UartBridge(name); }

    void txEdge(bool level);

private:
    struct Edge {
        uint64_t cycle;
        bool level;
    };

    void settle();
    uint64_t now() const { return get_cycles().get(); }
    void at(Event& e, uint64_t cycle);
    void tick();
    void rxBit();
    void txByteDone();
    void readTerminal();
    void flushTerminal();
    bool lineQuiet() const;
    void pace();
    void waitForTerminal();
    void finishFlashWrite();
    bool levelAt(uint64_t cycle) const;

    Integer* baudAttr_;
    Integer* fdAttr_;
    Integer* pacedAttr_;
    TxPin* tx_;
    IO_bi_directional* rx_;
    IOPIN* lamp_;
    Event tickEvent_{*this, &UartBridge::tick};
    Event rxEvent_{*this, &UartBridge::rxBit};
    Event txEvent_{*this, &UartBridge::txByteDone};

    bool settled_ = false;
    bool stopped_ = true;  // no run has begun since the last one ended
    RunWatch runWatch_{stopped_};
    unsigned runWatchId_ = 0;
    int fd_ = -1;
    bool paced_ = true;
    Register* eecon1_ = nullptr;
    uint64_t cyclesPerSecond_ = 0;
    uint64_t cyclesPerBit_ = 0;
    uint64_t tickCycles_ = 0;

    // Terminal to chip.
    std::deque<uint8_t> rxQueue_;
    int rxBitIndex_ = -1;  // -1: the RX line rests; 0 start bit, 1..8 data, 9 stop
    uint8_t rxByte_ = 0;
    uint64_t rxBitStart_ = 0;

    // Chip to terminal.
    bool txLevel_ = true;
    bool txInByte_ = false;
    uint64_t txStart_ = 0;
    std::vector<Edge> txEdges_;
    std::vector<uint8_t> txOut_;  // bytes for the terminal not yet handed over

    // Pacing: simulated time since the anchor may not run ahead of real time since it.
    uint64_t anchorCycle_ = 0;
    Clock::time_point anchorTime_;
};

TxPin::TxPin(UartBridge& bridge, const std::string& name) : IOPIN(name.c_str()), bridge_(bridge) {}

void TxPin::setDrivenState(bool state) {
    const bool was = getDrivenState();
    IOPIN::setDrivenState(state);
    if (state != was) bridge_.txEdge(state);
}

UartBridge::UartBridge(const char* name) : Module(name, "Velmora USART to pseudo-terminal bridge") {
    baudAttr_ = new Integer("baud", 115200, "line speed, bit/s");
    fdAttr_ = new Integer("fd", -1, "file descriptor of the pty master");
    pacedAttr_ = new Integer("paced", 1, "1: no faster than real time");
    addSymbol(baudAttr_);
    addSymbol(fdAttr_);
    addSymbol(pacedAttr_);

    create_pkg(3);
    tx_ = new TxPin(*this, std::string(name) + ".tx");
    rx_ = new IO_bi_directional((std::string(name) + ".rx").c_str());
    // The lamp and its resistor to Vdd.
    lamp_ = new IOPIN((std::string(name) + ".lamp").c_str(), 5.0, 1e4);
    rx_->update_direction(1, true);
    rx_->putState(true);  // a resting line is high
    assign_pin(1, tx_);
    assign_pin(2, rx_);
    assign_pin(3, lamp_);
    addSymbol(tx_);
    addSymbol(rx_);
    addSymbol(lamp_);

    // The attributes are set by the script after the module is made: they are read at
    // the first tick.
    at(tickEvent_, now() + 1);
    runWatchId_ = get_interface().add_interface(&runWatch_);
}

UartBridge::~UartBridge() {
    get_interface().remove_interface(runWatchId_);
    removeSymbol(baudAttr_);
    removeSymbol(fdAttr_);
    removeSymbol(pacedAttr_);
    delete baudAttr_;
    delete fdAttr_;
    delete pacedAttr_;
}

void UartBridge::at(Event& e, uint64_t cycle) {
    get_cycles().set_break(cycle, &e);
}

void UartBridge::settle() {
    gint64 v = 0;
    baudAttr_->get(v);
    const uint64_t baud = v > 0 ? static_cast<uint64_t>(v) : 115200;
    fdAttr_->get(v);
    fd_ = static_cast<int>(v);
    pacedAttr_->get(v);
    paced_ = v != 0;
    // gpsim counts instruction cycles, four clocks each.
    Processor* cpu = get_active_cpu();
    cyclesPerSecond_ = cpu ? static_cast<uint64_t>(cpu->get_frequency() / 4.0) : 1000000;
    if (cpu) eecon1_ = cpu->registers[kEecon1];
    cyclesPerBit_ = std::max<uint64_t>(1, cyclesPerSecond_ / baud);
    // A byte's time: the terminal's bytes are taken at least that often.
    tickCycles_ = std::max<uint64_t>(1, cyclesPerBit_ * 10);
    anchorCycle_ = now();
    anchorTime_ = Clock::now();
    settled_ = true;
}

// gpsim 0.31 leaves EECON1's WR set once a Flash erase or write of a PIC18 is over
// (WRERR, which it sets for the time of the write, is clear again). The chip clears WR
// when the write ends, and its EEPROM reads wait for WR to be clear: left set, every
// later EEPROM read of the firmware would hang.
void UartBridge::finishFlashWrite() {
    if (!eecon1_) return;
    const unsigned v = eecon1_->value.get();
    if ((v & kEepgd) && (v & kWr) && !(v & kWrerr)) eecon1_->value.put(v & ~kWr);
}

void UartBridge::tick() {
    if (!settled_) settle();
    finishFlashWrite();
    if (stopped_) {
        // Whoever runs gpsim learns here that the chip runs again: gpsim's own word on it
        // may sit in its output buffer for as long as the run lasts. The chip stood still
        // in between, so the time it keeps to starts again from here.
        stopped_ = false;
        anchorCycle_ = now();
        anchorTime_ = Clock::now();
        std::fputs("velmora_uart: the chip runs\n", stdout);
        std::fflush(stdout);
    }
    // A reply goes to the terminal when the line rests, in one piece as from an
    // adapter: a write a byte would wake the reader for every byte.
    if (!txInByte_ || txOut_.size() >= 256) flushTerminal();
    readTerminal();
    if (lineQuiet() && !lamp_->getDrivenState())
        waitForTerminal();
    else if (paced_)
        pace();
    at(tickEvent_, now() + tickCycles_);
}

bool UartBridge::lineQuiet() const {
    return rxQueue_.empty() && rxBitIndex_ < 0 && !txInByte_;
}

void UartBridge::pace() {
    const uint64_t simulatedNs = (now() - anchorCycle_) * 1000000000ull / cyclesPerSecond_;
    const auto wallNs = static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - anchorTime_).count());
    if (simulatedNs <= wallNs) return;
    const uint64_t ahead = simulatedNs - wallNs;
    timespec ts{static_cast<time_t>(ahead / 1000000000ull), static_cast<long>(ahead % 1000000000ull)};
    ::nanosleep(&ts, nullptr);
}

// The chip waits for a request and nothing is under way: stand still until the
// terminal sends. A signal (gpsim's Ctrl+C, which stops the run) also ends the wait.
void UartBridge::waitForTerminal() {
    if (fd_ < 0) return;
    pollfd p{fd_, POLLIN, 0};
    const int r = ::poll(&p, 1, -1);
    anchorCycle_ = now();
    anchorTime_ = Clock::now();
    if (r > 0) readTerminal();
}

void UartBridge::readTerminal() {
    if (fd_ < 0) return;
    uint8_t buf[256];
    for (;;) {
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0) break;
        rxQueue_.insert(rxQueue_.end(), buf, buf + n);
    }
    if (rxBitIndex_ < 0 && !rxQueue_.empty()) {
        rxByte_ = rxQueue_.front();
        rxQueue_.pop_front();
        rxBitIndex_ = 0;
        rxBitStart_ = now();
        rx_->putState(false);  // the start bit
        at(rxEvent_, rxBitStart_ + cyclesPerBit_);
    }
}

void UartBridge::rxBit() {
    ++rxBitIndex_;
    rxBitStart_ += cyclesPerBit_;
    if (rxBitIndex_ <= 8) {
        rx_->putState(((rxByte_ >> (rxBitIndex_ - 1)) & 1) != 0);
    } else if (rxBitIndex_ == 9) {
        rx_->putState(true);  // the stop bit
    } else {
        // The stop bit is over: the next byte may start at once.
        if (rxQueue_.empty()) {
            rxBitIndex_ = -1;
            return;
        }
        rxByte_ = rxQueue_.front();
        rxQueue_.pop_front();
        rxBitIndex_ = 0;
        rx_->putState(false);
    }
    at(rxEvent_, rxBitStart_ + cyclesPerBit_);
}

void UartBridge::txEdge(bool level) {
    const uint64_t t = now();
    txLevel_ = level;
    if (!settled_) return;
    if (!txInByte_) {
        if (level) return;
        // A start bit: the byte is read back from its edges in the middle of its stop bit.
        txInByte_ = true;
        txStart_ = t;
        txEdges_.clear();
        txEdges_.push_back({t, false});
        at(txEvent_, t + cyclesPerBit_ * 19 / 2);
        return;
    }
    txEdges_.push_back({t, level});
}

bool UartBridge::levelAt(uint64_t cycle) const {
    bool level = true;
    for (const Edge& e : txEdges_) {
        if (e.cycle > cycle) break;
        level = e.level;
    }
    return level;
}

void UartBridge::txByteDone() {
    txInByte_ = false;
    // A start bit still low in its middle and a stop bit high: a byte. Anything else is
    // a glitch or a break, which a real receiver would not pass on either.
    if (levelAt(txStart_ + cyclesPerBit_ / 2) || !levelAt(txStart_ + cyclesPerBit_ * 19 / 2)) return;
    uint8_t byte = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (levelAt(txStart_ + cyclesPerBit_ * (2 * bit + 3) / 2)) byte |= static_cast<uint8_t>(1u << bit);
    txOut_.push_back(byte);
}

// A full pty (nobody reading) loses the bytes, as a line with no one listening does.
void UartBridge::flushTerminal() {
    if (txOut_.empty()) return;
    if (fd_ >= 0) (void)!::write(fd_, txOut_.data(), txOut_.size());
    txOut_.clear();
}

Module_Types available_modules[] = {
    {{"velmora_uart", "velmora_uart"}, UartBridge::construct},
    {{nullptr, nullptr}, nullptr},
};

}  // namespace

extern "C" Module_Types* get_mod_list() {
    return available_modules;
}
