#pragma once
// Whether a module's replies echo bytes 2..4 of the request, learnt as it answers.
//
// Modules may fill those three bytes as they like, so nothing demands the echo of a
// module not yet heard. Once a module (a node, or an i2c module behind it, for one
// command) has echoed, and done so every time, a reply of its that does not echo is a
// straggler answering an earlier request of the same command, not the answer to this
// one. A module that stops echoing (given another firmware, say) or echoes only some
// requests has two replies refused and is from then on never asked for the echo.

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
    // A reply to `request` was refused for want of the echo.
    void refused(const uint8_t* request);
    void forgetAll() { records_.clear(); }

    // How many more echoed replies each one that did not echo outweighs, and how many
    // refusals (with no echo between them) make the echo unreliable for good.
    static constexpr unsigned kEchoesPerMiss = 8;
    static constexpr unsigned kRefusalsToGiveUp = 2;

private:
    struct Record {
        unsigned echoed = 0;
        unsigned missed = 0;
        unsigned refusals = 0;
        bool unreliable = false;
    };
    static uint32_t key(const uint8_t* request);

    std::unordered_map<uint32_t, Record> records_;
};

}  // namespace velmora::link
