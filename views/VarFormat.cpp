#include "views/VarFormat.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "common/Cp1251.h"
#include "common/HexText.h"

namespace velmora::views {

namespace {

constexpr std::string_view kPrefix[] = {"Char/", "unsigned Char/", "Int/",     "unsigned Int/",
                                        "Long/", "unsigned Long/", "Float 32/"};
constexpr std::string_view kFormatWord[] = {"Hex: ", "Dec: ", "Bin: ", "Simv: "};
constexpr int kSignificant = 11;
constexpr int kDecimals = 7;

uint32_t raw(const std::array<uint8_t, 4>& b, int width) {
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | b[static_cast<size_t>(i)];
    return v;
}

int64_t signedValue(uint32_t v, int width) {
    const int bits = width * 8;
    if (bits < 32 && (v & (1u << (bits - 1))))
        return static_cast<int64_t>(v) - (int64_t{1} << bits);
    if (bits == 32) return static_cast<int32_t>(v);
    return v;
}

std::string nibbles(uint8_t b) {
    std::string s;
    for (int bit = 7; bit >= 0; --bit) {
        s += (b >> bit) & 1 ? '1' : '0';
        if (bit == 4) s += '\'';
    }
    return s;
}

// One byte as the label shows it: a Windows-1251 character; the C0 controls and DEL as
// their visible control pictures, so that nothing invisible reaches the label.
std::string character(uint8_t b) {
    if (b < 0x20 || b == 0x7F) {
        const char32_t pic = b == 0x7F ? 0x2421 : 0x2400 + b;
        return {static_cast<char>(0xE0 | (pic >> 12)),
                static_cast<char>(0x80 | ((pic >> 6) & 0x3F)),
                static_cast<char>(0x80 | (pic & 0x3F))};
    }
    return cp1251ToUtf8(std::string(1, static_cast<char>(b)));
}

}  // namespace

int varWidth(VarType type) {
    switch (type) {
        case VarType::Char:
        case VarType::UChar:
            return 1;
        case VarType::Int:
        case VarType::UInt:
            return 2;
        default:
            return 4;
    }
}

std::string floatText(float value, const std::string& decimalPoint) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    char buf[64];
    // Rounded to 11 significant digits first, then laid out.
    std::snprintf(buf, sizeof buf, "%.*e", kSignificant - 1, static_cast<double>(value));
    const double rounded = std::strtod(buf, nullptr);
    const std::string_view text(buf);
    const int exponent = std::atoi(buf + text.find('e') + 1);
    std::string out;
    if (rounded != 0 && exponent >= kSignificant) {
        // d.dddddddddd E+XX
        const size_t e = text.find('e');
        out = std::string(text.substr(0, e)) + "E+" + (exponent < 10 ? "0" : "") +
              std::to_string(exponent);
    } else {
        std::snprintf(buf, sizeof buf, "%.*f", kDecimals, rounded == 0 ? 0.0 : rounded);
        out = buf;
        if (out.find_first_not_of("-0.") == std::string::npos && out.front() == '-')
            out.erase(0, 1);  // no "-0.0000000"
    }
    const size_t dot = out.find('.');
    if (dot != std::string::npos) out.replace(dot, 1, decimalPoint);
    return out;
}

std::string showVarValue(VarType type, VarFormat format, const std::array<uint8_t, 4>& b,
                         const std::string& decimalPoint) {
    if (format == VarFormat::Off) return {};
    const int width = varWidth(type);
    const uint32_t v = raw(b, width);
    std::string out(kPrefix[static_cast<int>(type)]);
    out += kFormatWord[static_cast<int>(format)];
    const bool isSigned = type == VarType::Char || type == VarType::Int || type == VarType::Long;
    switch (format) {
        case VarFormat::Hex:
            return out + hexNumber(v, width * 2);
        case VarFormat::Dec:
            if (type == VarType::Float32)
                return out + floatText(std::bit_cast<float>(v), decimalPoint);
            return out + (isSigned ? std::to_string(signedValue(v, width)) : std::to_string(v));
        case VarFormat::Bin:
            for (int i = width - 1; i >= 0; --i) out += " " + nibbles(b[static_cast<size_t>(i)]);
            return out;
        case VarFormat::Simv:
            out += "[";
            for (int i = 0; i < width; ++i) {
                const uint8_t c = b[static_cast<size_t>(i)];
                if (type == VarType::Float32)
                    out += character(c);
                else
                    out += (c < 0x20 ? "#" + hexNumber(c, 2) : character(c)) + " ";
            }
            return out + "]";
        case VarFormat::Off:
            break;
    }
    return {};
}

}  // namespace velmora::views
