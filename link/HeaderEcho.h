#pragma once
// Whether a module's replies echo bytes 2..4 of the request, learnt as it answers.
//
// Modules may fill those three bytes as they like, so nothing demands the echo of a
// module not yet heard. Once a module (a node, or an i2c module behind it, for one
// command) has echoed every time, a reply of its that does not echo is a straggler
// answering an earlier request of the same command, not the answer to this one. A
// module that stops echoing (swapped for another firmware, say) is unlearnt by the
// first transaction that fails for want of the echo.

#include <cstdint>
#include <unordered_map>

namespace velmora::link {

class HeaderEcho {
public:
    // Kinds whose replies carry bytes 2..4 as a header: all but rdID and initMod.
    static bool applies(uint8_t command);
    static bool echoes(const uint8_t* request, const uint8_t* reply);

    // Whether a reply to `request` must echo it to be taken.
    bool demanded(const uint8_t* request) const;
    // A reply was taken as the answer to `request`.
    void learn(const uint8_t* request, const uint8_t* reply);
    void forget(const uint8_t* request);
    void forgetAll() { records_.clear(); }

    // Echoed replies needed before the echo is demanded, and how many more echoed
    // replies each one that did not echo outweighs.
    static constexpr unsigned kEchoesToLearn = 2;
    static constexpr unsigned kEchoesPerMiss = 8;

private:
    struct Record {
        unsigned echoed = 0;
        unsigned missed = 0;
    };
    static uint32_t key(const uint8_t* request);

    std::unordered_map<uint32_t, Record> records_;
};

}  // namespace velmora::link
