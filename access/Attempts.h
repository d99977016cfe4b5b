#pragma once
// How many times each step of a module access is sent: the one table of them. A count
// changed here changes what goes on the wire (tests/data/cli-frames.txt holds the
// frames every velmora-cli command sends).

#include <cstdint>

namespace velmora::access {

// A step as it goes out: up to `tries` calls of the engine, each with up to `attempts`
// attempts of its own. The frames are the same either way; each call shows its result
// on the status panel.
struct Tries {
    uint8_t tries = 1;
    uint8_t attempts = 1;
};

// REG_PAGE's steps around a use of the window or of the data registers: read, moved,
// put back.
struct PageSteps {
    Tries save;
    Tries select;
    Tries putBack;
};

// A read or write through the RAM window: the page's steps and the transaction on the
// window's registers (at a node: the rdRAM or wrRAM itself), all attempts of one try.
struct WindowSteps {
    PageSteps page;
    uint8_t data = 3;
};

namespace attempts {

// Every node transaction of the views and of the firmware runs, and every register
// access that has no reason of its own below: three attempts, velmora-cli trans's
// default too.
inline constexpr uint8_t kNode = 3;
inline constexpr Tries kRegister{1, kNode};

// The RAM tab, the value inspector and a RAM cell's edit. These run on the refresh timer
// while the module's own code uses the window, and a REG_PAGE left moved has that code
// work on the wrong page: REG_PAGE is asked up to three times, moved and put back with
// up to three tries of three attempts.
inline constexpr WindowSteps kRamWindow{{{3, 1}, {3, 3}, {3, 3}}, kNode};

// REG_PAGE set to 0 for the Flash and EEPROM data registers (the views, programming,
// verify, backup, erase) or to the SFR page (the SFR list, an SFR's edit): a register
// access like any other.
inline constexpr PageSteps kRegisterPage{kRegister, kRegister, kRegister};
inline constexpr WindowSteps kSfrWindow{kRegisterPage, kNode};

// The variable browsers and velmora-cli watch: one attempt a step. A pass comes round
// again within its period anyway; retries would make it late for the next one.
inline constexpr WindowSteps kBrowserWindow{{{1, 1}, {1, 1}, {1, 1}}, 1};

// The identifier through the window: the whole read is tried three times (kIdentTries),
// so a page move is one try and a half's read one attempt. REG_PAGE is read and put back
// as the RAM tab does: whatever else failed, the module gets its page back.
inline constexpr WindowSteps kIdentWindow{{{3, 1}, {1, 3}, {3, 3}}, 1};

// A Flash or EEPROM pointer write: sent again, it sets the same address, so the engine
// may repeat it.
inline constexpr Tries kPointer = kRegister;
// A data register read or write: one attempt, tried up to three times with the pointer
// set again before each try. The register moves the pointer on also when its reply is
// lost, so a repeat by the engine would read the bytes that follow or write the byte into
// the next cell.
inline constexpr Tries kData{1, 1};
inline constexpr int kDataTries = 3;
// The erase of a Flash block through 0xA6: erasing a block again does no harm.
inline constexpr Tries kBlockErase = kRegister;

// Programming a node: a 64-byte block is written with one attempt and tried up to four
// times, 20 ms apart, so the node has time to finish what it was doing before the next
// try. The module initialisation that starts the run has one attempt: a module says
// nothing back.
inline constexpr Tries kNodeFlashBlock{4, 1};
inline constexpr uint32_t kNodeFlashBlockGapMs = 20;
inline constexpr uint8_t kInitModule = 1;

}  // namespace attempts

}  // namespace velmora::access
