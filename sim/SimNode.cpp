#include "sim/SimNode.h"

#include "link/Crc16.h"

namespace velmora::sim {

namespace {
void closeFrame(std::vector<uint8_t>& reply) {
    reply.resize(reply.size() + 2);
    link::appendCrc(reply.data(), reply.size() - 2);
}

uint16_t frameAddress(const std::vector<uint8_t>& f) {
    return static_cast<uint16_t>((f[2] << 8) | f[3]);
}
}  // namespace

SimModule& SimNode::addSubModule(uint8_t slave) {
    return subs_[slave];
}

SimModule* SimNode::subModule(uint8_t slave) {
    auto it = subs_.find(slave);
    return it == subs_.end() ? nullptr : &it->second;
}

std::vector<uint8_t> SimNode::errorReply(uint8_t code) const {
    std::vector<uint8_t> reply{address_, static_cast<uint8_t>(0x80 | code), 0x00};
    closeFrame(reply);
    return reply;
}

std::vector<uint8_t> SimNode::dataReply(const std::vector<uint8_t>& f, const uint8_t* data,
                                        size_t count) const {
    // Bytes 2..4 echo the request's header; the terminal does not read them.
    std::vector<uint8_t> reply{address_, static_cast<uint8_t>(f[1] & 0x7F), f[2], f[3], f[4]};
    reply.insert(reply.end(), data, data + count);
    closeFrame(reply);
    return reply;
}

std::optional<std::vector<uint8_t>> SimNode::execute(const std::vector<uint8_t>& f) {
    switch (f[1]) {
        case 0x70:
            return memoryRead(f, module_.ram.data(), kRamSize);
        case 0x71:
            return memoryWrite(f, module_.ram.data(), kRamSize);
        case 0x72:
        case 0x73:
            return bitAccess(f);
        case 0x74:
            return memoryRead(f, module_.eeprom.data(), kEepromSize);
        case 0x75:
            return memoryWrite(f, module_.eeprom.data(), kEepromSize);
        case 0x76:
            return memoryRead(f, module_.flash.data(), kFlashSize);
        case 0x77:
            return flashWrite(f);
        case 0x78:
            return identifier();
        case 0x79:
            if (f[2] != 0x55 || f[3] != 0xAA) return errorReply(kNoTerminator);
            // A module restarts on initialisation and says nothing.
            ++module_.initCount;
            return std::nullopt;
        case 0x7A:
        case 0x7B:
            return i2cAccess(f);
        default:
            return errorReply(kUnknownCommand);
    }
}

std::vector<uint8_t> SimNode::memoryRead(const std::vector<uint8_t>& f, const uint8_t* memory,
                                         size_t size) {
    size_t n = f[4];
    if (n == 0) return errorReply(kReadZero);
    if (n > 249) return errorReply(kReadTooLong);
    size_t adr = frameAddress(f);
    if (adr + n > size) return errorReply(kBadAddress);
    return dataReply(f, memory + adr, n);
}

std::vector<uint8_t> SimNode::memoryWrite(const std::vector<uint8_t>& f, uint8_t* memory,
                                          size_t size) {
    size_t n = f[4];
    if (n == 0) return errorReply(kBadFormat);
    size_t adr = frameAddress(f);
    if (adr + n > size) return errorReply(kBadAddress);
    for (size_t i = 0; i < n; ++i) memory[adr + i] = f[5 + i];
    return dataReply(f, nullptr, 0);
}

std::vector<uint8_t> SimNode::flashWrite(const std::vector<uint8_t>& f) {
    size_t n = f[4];
    if (n != 64) return errorReply(kFlashNot64);
    uint16_t adr = frameAddress(f);
    if (adr % 64 != 0) return errorReply(kFlashNotBlockStart);
    if (adr < kNodeMonitorTop) return errorReply(kClosedResource);
    module_.writeFlashBlock(adr, f.data() + 5);
    return dataReply(f, nullptr, 0);
}

std::vector<uint8_t> SimNode::bitAccess(const std::vector<uint8_t>& f) {
    uint8_t bit = f[4];
    if (bit > 7) return errorReply(kBadBit);
    size_t adr = frameAddress(f);
    if (adr >= kRamSize) return errorReply(kBadAddress);
    uint8_t& cell = module_.ram[adr];
    if (f[1] == 0x73) {
        if (f[5])
            cell |= static_cast<uint8_t>(1u << bit);
        else
            cell &= static_cast<uint8_t>(~(1u << bit));
        return dataReply(f, nullptr, 0);
    }
    uint8_t value = (cell >> bit) & 1;
    return dataReply(f, &value, 1);
}

std::vector<uint8_t> SimNode::i2cAccess(const std::vector<uint8_t>& f) {
    SimModule* sub = subModule(f[2]);
    if (!sub) return errorReply(kNoSlave);
    size_t n = f[4];
    Code code;
    if (f[1] == 0x7A) {
        if (n == 0) return errorReply(kReadZero);
        if (n > 249) return errorReply(kReadTooLong);
        std::vector<uint8_t> data(n);
        code = sub->i2cRead(f[3], n, data.data());
        if (code == kOk) return dataReply(f, data.data(), n);
    } else {
        if (n == 0) return errorReply(kBadFormat);
        code = sub->i2cWrite(f[3], f.data() + 5, n);
        if (code == kOk) return dataReply(f, nullptr, 0);
    }
    return errorReply(code);
}

std::vector<uint8_t> SimNode::identifier() const {
    std::vector<uint8_t> reply{address_, 0x78};
    reply.insert(reply.end(), module_.id.begin(), module_.id.end());
    closeFrame(reply);
    return reply;
}

}  // namespace velmora::sim
