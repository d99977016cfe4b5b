#pragma once
// One frame of the line taken apart into its fields, as an engineer reading a log wants
// them: request or reply, the command's name, address, count, data, the CRC and whether
// it is right. A frame is recognised by its command byte and its length alone, so a
// request and a reply of the same command are told apart without the other half.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::link {

enum class FrameRole { Request, Reply, ErrorReply };

struct DecodedFrame {
    FrameRole role = FrameRole::Request;
    uint8_t node = 0;
    uint8_t command = 0;  // byte 1 as sent; for an error reply, with bit 7 set
    std::string name;     // "rdRAM", "wrEE"...; for an error reply the code's text
    std::optional<uint8_t> slave;     // i2c commands
    std::optional<uint16_t> address;  // memory address, or the i2c word address
    std::optional<uint8_t> count;
    std::optional<uint8_t> bit;       // bit commands
    std::vector<uint8_t> data;
    uint16_t crc = 0;         // as the frame carries it
    uint16_t expectedCrc = 0; // of the bytes before it
    bool crcOk = false;
    // For a request: the length of the reply it asks for (0 when none is expected).
    size_t replyLength = 0;
};

struct FrameDecodeResult {
    std::optional<DecodedFrame> frame;
    std::string problem;  // why the bytes are not a frame; empty when `frame` is set
};

// `crcHighFirst`: the CRC's high byte comes first, as with "<ст байт><мл байт>".
FrameDecodeResult decodeFrame(const std::vector<uint8_t>& bytes, bool crcHighFirst = false);

// The frame's bytes as typed or copied from a log: blank-separated tokens of one or two
// hexadecimal digits, or longer runs of digit pairs ("0170005004"). Nothing, with the
// reason in `error`, for a token that is not hexadecimal or has an odd count of digits.
std::optional<std::vector<uint8_t>> parseFrameText(std::string_view text, std::string& error);

// The bytes of a protocol log line: what follows "Send>", "<Res ", "=> " or "<= ", or
// the whole line when it has no such prefix; a time of day before it is passed over.
std::string_view frameTextOfLogLine(std::string_view line);

// The fields a line each: "node 01", "command 70 rdRAM" (or "error 87 TEXT"), "slave 10",
// "address 0050", "bit 3", "count 04", "data 11 22", then "crc 0F03 ok" or
// "crc 0F03 bad, want 1234".
std::vector<std::string> frameFieldLines(const DecodedFrame& frame);

}  // namespace velmora::link
