// A gpsim module that joins a simulated chip's USART pins to a pseudo-terminal, bit by
// bit in simulated time: the chip's TX line is sampled into bytes for the terminal, the
// terminal's bytes are shifted onto the chip's RX line at the line's speed, 8N1.
//
// gpsim script:
//     module library libvelmora_pic18_bridge.so
//     module load velmora_uart bridge
//     bridge.baud = 115200        bits per second, unless the terminal has set its own
//                                 speed on the pty: then the line runs at that one, and
//                                 a chip at another speed hears and sends garbage
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

#include <gpsim/breakpoints.h>
#include <gpsim/eeprom.h>
#include <gpsim/gpsim_interface.h>
#include <gpsim/gpsim_time.h>
#include <gpsim/modules.h>
#include <gpsim/pic-processor.h>
#include <gpsim/processor.h>
#include <gpsim/registers.h>
#include <gpsim/stimuli.h>
#include <gpsim/trigger.h>
#include <gpsim/value.h>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The self-programming registers of the PIC18 and EECON1's bits.
constexpr unsigned kEecon1 = 0xFA6, kEedata = 0xFA8, kEeadr = 0xFA9, kEeadrh = 0xFAA;
constexpr unsigned kEepgd = 0x80, kCfgs = 0x40, kWrerr = 0x08, kWr = 0x02, kRd = 0x01;
// How often a chip standing still looks whether gpsim wants the run to stop.
constexpr int kHaltCheckMs = 50;

// Stands in EECON1's place in the register file and passes everything on, putting
// right two things gpsim 0.31 does differently from the chip:
// - a data EEPROM read takes its cell from EEADR alone, so above 0xFF it reads the
//   cell 0x100 (or 0x200, 0x300) lower; the chip addresses it with EEADRH too;
// - once a Flash erase or write is over (the CPU stood still for it), WR is set again
//   from the value that started it; the chip leaves it clear, and an EEPROM read
//   waits for WR clear.
class Eecon1Fix : public Register {
public:
    Eecon1Fix(Processor& cpu, Register& real)
        : Register(nullptr, "eecon1 (bridge)"), cpu_(cpu), real_(real) {
        address = real.address;
    }
    Register& real() { return real_; }

    unsigned int get() override { return real_.get(); }
    unsigned int get_value() override { return real_.get_value(); }
    RegisterValue getRV() override { return real_.getRV(); }
    RegisterValue getRV_notrace() override { return real_.getRV_notrace(); }
    RegisterValue getRVN() override { return real_.getRVN(); }
    RegisterValue getRVN_notrace() override { return real_.getRVN_notrace(); }
    bool get_bit(unsigned int bit) override { return real_.get_bit(bit); }
    void reset(RESET_TYPE r) override { real_.reset(r); }
    void put(unsigned int v) override {
        real_.put(v);
        after(v);
    }
    void put_value(unsigned int v) override {
        real_.put_value(v);
        after(v);
    }
    void putRV(RegisterValue rv) override {
        real_.putRV(rv);
        after(rv.data);
    }
    void putRV_notrace(RegisterValue rv) override {
        real_.putRV_notrace(rv);
        after(rv.data);
    }
    void setbit(unsigned int bit, bool on) override {
        real_.setbit(bit, on);
        after(real_.get_value());
    }

private:
    void after(unsigned int written) {
        const unsigned int now = real_.value.get();
        if ((written & kRd) && !(written & (kEepgd | kCfgs)) && !(now & kRd)) {
            auto* pic = dynamic_cast<pic_processor*>(&cpu_);
            EEPROM* ee = pic ? pic->get_eeprom() : nullptr;
            const unsigned int cell =
                (cpu_.registers[kEeadrh]->get_value() << 8) | cpu_.registers[kEeadr]->get_value();
            if (Register* r = ee ? ee->get_register(cell) : nullptr)
                cpu_.registers[kEedata]->value.put(r->get_value());
        }
        if ((now & kEepgd) && (now & kWr) && !(now & kWrerr)) real_.value.put(now & ~kWr);
    }

    Processor& cpu_;
    Register& real_;
};

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
    uint64_t terminalCyclesPerBit() const;
    void startRxByte();
    void flushTerminal();
    bool lineQuiet() const;
    void pace();
    void waitForTerminal();
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
    Eecon1Fix* eecon1_ = nullptr;
    uint64_t cyclesPerSecond_ = 0;
    uint64_t baud_ = 115200;
    uint64_t cyclesPerBit_ = 0;    // at the configured speed: the tick's pace
    uint64_t rxCyclesPerBit_ = 1;  // the byte being shifted in
    uint64_t txCyclesPerBit_ = 1;  // the byte being sampled
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
    if (Processor* cpu = get_active_cpu(); cpu && eecon1_ && cpu->registers[kEecon1] == eecon1_) {
        cpu->registers[kEecon1] = &eecon1_->real();
        delete eecon1_;
    }
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
    baud_ = v > 0 ? static_cast<uint64_t>(v) : 115200;
    fdAttr_->get(v);
    fd_ = static_cast<int>(v);
    pacedAttr_->get(v);
    paced_ = v != 0;
    // gpsim counts instruction cycles, four clocks each.
    Processor* cpu = get_active_cpu();
    cyclesPerSecond_ = cpu ? static_cast<uint64_t>(cpu->get_frequency() / 4.0) : 1000000;
    if (cpu && !eecon1_) {
        eecon1_ = new Eecon1Fix(*cpu, *cpu->registers[kEecon1]);
        cpu->registers[kEecon1] = eecon1_;
    }
    cyclesPerBit_ = std::max<uint64_t>(1, cyclesPerSecond_ / baud_);
    // A byte's time: the terminal's bytes are taken at least that often.
    tickCycles_ = std::max<uint64_t>(1, cyclesPerBit_ * 10);
    anchorCycle_ = now();
    anchorTime_ = Clock::now();
    settled_ = true;
}

void UartBridge::tick() {
    if (!settled_) settle();
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
// terminal sends. A stop of the run (gpsim's Ctrl+C) ends the wait too; it may have come
// just before the wait began, so the wait looks for it now and then.
void UartBridge::waitForTerminal() {
    if (fd_ < 0) return;
    for (;;) {
        if (bp.have_halt()) break;
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, kHaltCheckMs);
        if (r > 0) {
            readTerminal();
            break;
        }
        if (r < 0 && errno != EINTR) break;
    }
    anchorCycle_ = now();
    anchorTime_ = Clock::now();
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
        rxBitStart_ = now();
        startRxByte();
    }
}

// The speed the terminal set on its side of the pty, as a bit's length in cycles; the
// configured speed while it has set none of the node's.
uint64_t UartBridge::terminalCyclesPerBit() const {
    termios t{};
    uint64_t baud = baud_;
    if (fd_ >= 0 && ::tcgetattr(fd_, &t) == 0) {
        switch (::cfgetospeed(&t)) {
            case B9600: baud = 9600; break;
            case B19200: baud = 19200; break;
            case B57600: baud = 57600; break;
            case B115200: baud = 115200; break;
            default: break;
        }
    }
    return std::max<uint64_t>(1, cyclesPerSecond_ / baud);
}

void UartBridge::startRxByte() {
    rxByte_ = rxQueue_.front();
    rxQueue_.pop_front();
    rxBitIndex_ = 0;
    rxCyclesPerBit_ = terminalCyclesPerBit();
    rx_->putState(false);  // the start bit
    at(rxEvent_, rxBitStart_ + rxCyclesPerBit_);
}

void UartBridge::rxBit() {
    ++rxBitIndex_;
    rxBitStart_ += rxCyclesPerBit_;
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
        startRxByte();
        return;
    }
    at(rxEvent_, rxBitStart_ + rxCyclesPerBit_);
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
        txCyclesPerBit_ = terminalCyclesPerBit();
        at(txEvent_, t + txCyclesPerBit_ * 19 / 2);
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
    const uint64_t bit = txCyclesPerBit_;
    if (levelAt(txStart_ + bit / 2) || !levelAt(txStart_ + bit * 19 / 2)) return;
    uint8_t byte = 0;
    for (int i = 0; i < 8; ++i)
        if (levelAt(txStart_ + bit * (2 * i + 3) / 2)) byte |= static_cast<uint8_t>(1u << i);
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
