// Frames taken apart: requests and replies of each shape, error replies, bad CRCs and
// byte runs that are no frame. CRCs are the ones seen on the line (Modbus CRC-16, low
// byte first) or written here with the link's own CRC, which its tests check.

#include <gtest/gtest.h>

#include "common/HexText.h"
#include "link/Crc16.h"
#include "link/FrameDecode.h"

using namespace velmora;

namespace {

std::string sealed(std::string text) {
    std::string error;
    auto bytes = link::parseFrameText(text, error).value();
    bytes.resize(bytes.size() + 2);
    link::appendCrc(bytes.data(), bytes.size() - 2);
    return hexBytes(bytes.data(), bytes.size());
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\n";
    return out;
}

}  // namespace

TEST(FrameDecode, EachShapeShowsItsFields) {
    using link::FrameRole;
    struct Case {
        std::string frame;
        bool crcHigh;
        std::string name;
        FrameRole role;
        std::string data;
        size_t replyLength;
        std::string fields;  // the whole printout, where the case checks it
    };
    const Case cases[] = {
        // The RAM read the console sends for "1 70 0 10 4", as the simulator logged it.
        {"01 70 00 10 04 0F 03", false, "rdRAM", FrameRole::Request, "", 11,
         "node 01\ncommand 70 rdRAM\naddress 0010\ncount 04\ncrc 030F ok\n"},
        {"01 70 00 10 04 03 0F", true, "rdRAM", FrameRole::Request, "", 11,
         "node 01\ncommand 70 rdRAM\naddress 0010\ncount 04\ncrc 030F ok\n"},
        // The initialisation of node 03, as the engine sends it: no reply asked for.
        {"03 79 55 AA 6E 96", false, "initMod", FrameRole::Request, "", 0,
         "node 03\ncommand 79 initMod\ncrc 966E ok\n"},
        {sealed("01 78"), false, "rdID", FrameRole::Request, "", 256, ""},
        {sealed("01 70 0F 80 80"), false, "rdSFR", FrameRole::Request, "", 135, ""},
        {sealed("01 71 00 50 02 AA BB"), false, "wrRAM", FrameRole::Request, "AA BB", 7, ""},
        {sealed("01 71 00 50 02"), false, "wrRAM", FrameRole::Reply, "", 0, ""},
        {sealed("01 70 00 50 02 AA BB"), false, "rdRAM", FrameRole::Reply, "AA BB", 0, ""},
        {sealed("02 7B 10 F6 03 00 24 00"), false, "wrI2C", FrameRole::Request, "00 24 00", 7,
         ""},
        {sealed("01 73 00 60 03 01"), false, "wrBRAM", FrameRole::Request, "01", 0, ""},
        {sealed("01 87 00"), false, "Запись в несуществующий адрес", FrameRole::ErrorReply, "",
         0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        std::string error;
        const auto bytes = link::parseFrameText(c.frame, error);
        ASSERT_TRUE(bytes) << error;
        const auto r = link::decodeFrame(*bytes, c.crcHigh);
        ASSERT_TRUE(r.frame) << r.problem;
        EXPECT_EQ(r.frame->name, c.name);
        EXPECT_EQ(r.frame->role, c.role);
        std::string data = hexBytes(r.frame->data.data(), r.frame->data.size());
        if (!data.empty()) data.pop_back();
        EXPECT_EQ(data, c.data);
        EXPECT_EQ(r.frame->replyLength, c.replyLength);
        EXPECT_TRUE(r.frame->crcOk);
        if (!c.fields.empty()) EXPECT_EQ(joined(link::frameFieldLines(*r.frame)), c.fields);
    }
    // A spoilt CRC is named with the one the bytes call for.
    std::string error;
    const auto r = link::decodeFrame(*link::parseFrameText("01 70 00 10 04 0F 04", error));
    ASSERT_TRUE(r.frame);
    EXPECT_EQ(link::frameFieldLines(*r.frame).back(), "crc 040F bad, want 030F");
}

TEST(FrameDecode, WhatIsNoFrameSaysWhy) {
    struct Case {
        std::string text;
        std::string problem;  // a word the reason must hold
    };
    const Case cases[] = {
        {"01 70 00", "too short"},
        {"01 99 00 00", "error reply is 5 bytes"},
        {"01 6F 00 00 00 00 00", "unknown command 6F"},
        {"01 71 00 50 04 AA BB CC", "count 04"},
        {"01 78 00 00 00", "rdID"},
        {"01 79 55 AB 00 00", "55 AA"},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto bytes = link::parseFrameText(c.text, error);
        ASSERT_TRUE(bytes) << c.text;
        const auto r = link::decodeFrame(*bytes);
        EXPECT_FALSE(r.frame) << c.text;
        EXPECT_NE(r.problem.find(c.problem), std::string::npos) << c.text << ": " << r.problem;
    }
}

TEST(FrameDecode, TypedBytesAreReadAsACopiedLogLineHasThem) {
    struct Case {
        std::string text;
        std::string bytes;  // "" when refused
    };
    const Case cases[] = {
        {"01 70 00 10 04", "01 70 00 10 04 "},
        {"1 70 0 10 4", "01 70 00 10 04 "},
        {"0170001004", "01 70 00 10 04 "},
        {"01,70, 0a\tFF", "01 70 0A FF "},
        {"017", ""},
        {"01 7g", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto bytes = link::parseFrameText(c.text, error);
        if (c.bytes.empty() && !c.text.empty()) {
            EXPECT_FALSE(bytes) << c.text;
            EXPECT_FALSE(error.empty()) << c.text;
        } else {
            ASSERT_TRUE(bytes) << c.text << ": " << error;
            EXPECT_EQ(hexBytes(bytes->data(), bytes->size()), c.bytes) << c.text;
        }
    }
}
