#include "link/FrameDecode.h"

#include "common/HexText.h"
#include "link/Crc16.h"
#include "link/FrameLayout.h"
#include "link/ReplyCodes.h"

namespace velmora::link {

namespace {

// RAM reads and writes at the SFR window's addresses are what the SFR view sends.
std::string_view commandName(const CommandLayout& c, uint16_t address) {
    constexpr uint16_t kSfrStart = 0x0F80;
    if (c.command == 0x70 && address >= kSfrStart) return "rdSFR";
    if (c.command == 0x71 && address >= kSfrStart) return "wrSFR";
    return c.name;
}

std::string lengthProblem(const CommandLayout& c, size_t length, std::string_view want) {
    return std::string(c.name) + " frame of " + std::to_string(length) + " bytes: " +
           std::string(want);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

FrameDecodeResult decodeFrame(const std::vector<uint8_t>& bytes, bool crcHighFirst) {
    const size_t n = bytes.size();
    // The shortest frame is the identifier request: node, command, CRC.
    if (n < 4) return {std::nullopt, "too short for a frame: " + std::to_string(n) + " bytes"};
    if (n > 256) return {std::nullopt, "longer than a frame can be: " + std::to_string(n) + " bytes"};
    DecodedFrame f;
    f.node = bytes[0];
    f.command = bytes[1];
    const uint8_t lo = bytes[n - (crcHighFirst ? 1 : 2)];
    const uint8_t hi = bytes[n - (crcHighFirst ? 2 : 1)];
    f.crc = static_cast<uint16_t>(lo | hi << 8);
    f.expectedCrc = crc16(bytes.data(), 0, n - kCrcLength);
    f.crcOk = f.crc == f.expectedCrc;

    if (f.command & 0x80) {
        if (n != kErrorReplyLength)
            return {std::nullopt, "an error reply is 5 bytes, these are " + std::to_string(n)};
        f.role = FrameRole::ErrorReply;
        f.name = replyMessage(f.command);
        return {f, {}};
    }
    const CommandLayout* c = commandLayout(f.command);
    if (!c) return {std::nullopt, "unknown command " + hexNumber(f.command, 2)};
    f.name = c->name;
    const size_t body = n - kCrcLength;  // bytes before the CRC
    const auto header = [&](bool i2c) {
        if (i2c) {
            f.slave = bytes[2];
            f.address = bytes[3];
        } else {
            f.address = static_cast<uint16_t>(bytes[2] << 8 | bytes[3]);
        }
        f.count = bytes[4];
        f.name = commandName(*c, *f.address);
    };
    const bool i2c = c->command == 0x7A || c->command == 0x7B;
    const FrameShape shape = c->shape;
    const size_t request = requestLength(shape, bytes.size() > 4 ? bytes[4] : 0);
    const size_t reply = replyLength(shape, bytes.size() > 4 ? bytes[4] : 0);
    const auto dataFrom = [&](size_t offset) {
        f.data.assign(bytes.begin() + static_cast<long>(offset),
                      bytes.begin() + static_cast<long>(body));
    };
    switch (shape) {
        case FrameShape::Ident:
            if (n == request) {
                f.replyLength = reply;
            } else if (n == reply) {
                f.role = FrameRole::Reply;
                dataFrom(replyDataOffset(shape));
            } else {
                return {std::nullopt, lengthProblem(*c, n, "a request is 4, the reply 256")};
            }
            break;
        case FrameShape::Init:
            if (n != request || bytes[2] != 0x55 || bytes[3] != 0xAA)
                return {std::nullopt, lengthProblem(*c, n, "it is 6 bytes ending in 55 AA and the CRC")};
            break;
        case FrameShape::BitRead:
        case FrameShape::BitWrite:
            if (n != request)
                return {std::nullopt,
                        lengthProblem(*c, n, "it is " + std::to_string(request) + " bytes")};
            f.address = static_cast<uint16_t>(bytes[2] << 8 | bytes[3]);
            f.bit = bytes[4];
            if (shape == FrameShape::BitWrite) f.data.assign(1, bytes[5]);
            break;
        case FrameShape::Read:
            if (n < kHeaderLength + kCrcLength)
                return {std::nullopt, lengthProblem(*c, n, "it has 5 header bytes and the CRC")};
            header(i2c);
            if (n == request) {
                f.replyLength = reply;
            } else {
                // A reply: its header bytes are the module's and need not echo the count.
                f.role = FrameRole::Reply;
                dataFrom(replyDataOffset(shape));
            }
            break;
        case FrameShape::Write:
            if (n < kHeaderLength + kCrcLength)
                return {std::nullopt, lengthProblem(*c, n, "it has 5 header bytes and the CRC")};
            header(i2c);
            if (n == reply && *f.count != 0) {
                f.role = FrameRole::Reply;
            } else if (n == request) {
                dataFrom(kHeaderLength);
                f.replyLength = reply;
            } else {
                return {std::nullopt, lengthProblem(*c, n,
                                                    "its count " + hexNumber(*f.count, 2) +
                                                        " says " + std::to_string(request))};
            }
            break;
    }
    return {f, {}};
}

std::optional<std::vector<uint8_t>> parseFrameText(std::string_view text, std::string& error) {
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == ',')) ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != ',') ++i;
        std::string_view token = text.substr(start, i - start);
        if (token.empty()) break;
        for (char ch : token) {
            if (hexDigit(ch) < 0) {
                error = "not a hexadecimal byte: " + std::string(token);
                return std::nullopt;
            }
        }
        if (token.size() == 1) {
            out.push_back(static_cast<uint8_t>(hexDigit(token[0])));
            continue;
        }
        if (token.size() % 2 != 0) {
            error = "odd number of hexadecimal digits: " + std::string(token);
            return std::nullopt;
        }
        for (size_t k = 0; k < token.size(); k += 2)
            out.push_back(static_cast<uint8_t>(hexDigit(token[k]) << 4 | hexDigit(token[k + 1])));
    }
    return out;
}

std::string_view frameTextOfLogLine(std::string_view line) {
    // A time of day in front ("14:03:27.015 "), when the log is kept with times.
    constexpr std::string_view kTimeShape = "00:00:00.000 ";
    bool timed = line.size() >= kTimeShape.size();
    for (size_t i = 0; timed && i < kTimeShape.size(); ++i)
        timed = kTimeShape[i] == '0' ? line[i] >= '0' && line[i] <= '9' : line[i] == kTimeShape[i];
    if (timed) line.remove_prefix(kTimeShape.size());
    // The engine's request and reply lines, and the console's.
    for (std::string_view prefix : {std::string_view("Send>"), std::string_view("<Res "),
                                    std::string_view("=> "), std::string_view("<= ")})
        if (line.substr(0, prefix.size()) == prefix) return line.substr(prefix.size());
    return line;
}

std::vector<std::string> frameFieldLines(const DecodedFrame& f) {
    std::vector<std::string> lines;
    lines.push_back("node " + hexNumber(f.node, 2));
    if (f.role == FrameRole::ErrorReply)
        lines.push_back("error " + hexNumber(f.command, 2) + (f.name.empty() ? "" : " " + f.name));
    else
        lines.push_back("command " + hexNumber(f.command, 2) + " " + f.name);
    if (f.slave) lines.push_back("slave " + hexNumber(*f.slave, 2));
    if (f.address) lines.push_back("address " + hexNumber(*f.address, 4));
    if (f.bit) lines.push_back("bit " + hexNumber(*f.bit, 2));
    if (f.count) lines.push_back("count " + hexNumber(*f.count, 2));
    if (!f.data.empty()) {
        std::string text = hexBytes(f.data.data(), f.data.size());
        text.pop_back();
        lines.push_back("data " + text);
    }
    lines.push_back("crc " + hexNumber(f.crc, 4) +
                    (f.crcOk ? " ok" : " bad, want " + hexNumber(f.expectedCrc, 4)));
    return lines;
}

}  // namespace velmora::link
