#include "link/FrameLayout.h"

#include "link/OperationKind.h"

namespace velmora::link {

namespace {

constexpr CommandLayout kCommands[] = {
    {0x70, "rdRAM", FrameShape::Read},     {0x71, "wrRAM", FrameShape::Write},
    {0x72, "rdBRAM", FrameShape::BitRead}, {0x73, "wrBRAM", FrameShape::BitWrite},
    {0x74, "rdEE", FrameShape::Read},      {0x75, "wrEE", FrameShape::Write},
    {0x76, "rdFlash", FrameShape::Read},   {0x77, "wrFlash", FrameShape::Write},
    {0x78, "rdID", FrameShape::Ident},     {0x79, "initMod", FrameShape::Init},
    {0x7A, "rdI2C", FrameShape::Read},     {0x7B, "wrI2C", FrameShape::Write},
};

// The SFR kinds are RAM commands at the SFR window's addresses.
constexpr uint8_t kCommandOfKind[kKindCount] = {0x78, 0x76, 0x77, 0x70, 0x71, 0x74,
                                                0x75, 0x70, 0x71, 0x7A, 0x7B, 0x79};

constexpr size_t kIdentRequestLength = 4;
constexpr size_t kIdentReplyLength = kFrameMax;
constexpr size_t kInitRequestLength = 6;

}  // namespace

const CommandLayout* commandLayout(uint8_t command) {
    for (const CommandLayout& c : kCommands)
        if (c.command == command) return &c;
    return nullptr;
}

uint8_t commandOfKind(uint8_t kind) {
    return kind < kKindCount ? kCommandOfKind[kind] : 0;
}

size_t requestLength(FrameShape shape, size_t count) {
    switch (shape) {
        case FrameShape::Read:
            return kHeaderLength + kCrcLength;
        case FrameShape::Write:
            return kHeaderLength + count + kCrcLength;
        case FrameShape::Ident:
            return kIdentRequestLength;
        case FrameShape::Init:
            return kInitRequestLength;
        case FrameShape::BitRead:
            return 7;
        case FrameShape::BitWrite:
            return 8;
    }
    return 0;
}

size_t replyLength(FrameShape shape, size_t count) {
    switch (shape) {
        case FrameShape::Read:
            return kHeaderLength + count + kCrcLength;
        case FrameShape::Write:
            return kHeaderLength + kCrcLength;
        case FrameShape::Ident:
            return kIdentReplyLength;
        case FrameShape::Init:
        case FrameShape::BitRead:
        case FrameShape::BitWrite:
            return 0;
    }
    return 0;
}

size_t replyDataOffset(FrameShape shape) {
    switch (shape) {
        case FrameShape::Ident:
            return 2;
        case FrameShape::Init:
            return 0;  // no reply, no data
        default:
            return kHeaderLength;
    }
}

}  // namespace velmora::link
