#pragma once
// An INI text file: sections, keys, values; keys and sections match without regard to
// case. Lines it does not understand are kept as they are.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::app {

class IniFile {
public:
    static IniFile parse(std::string_view text);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::optional<long long> integer(std::string_view section, std::string_view key) const;
    // Changes the key in place, or adds it at the end of its section (or a new section).
    void set(std::string_view section, std::string_view key, std::string_view value);
    std::string text() const;

private:
    struct Line {
        std::string raw;
        std::string section;  // the section the line belongs to
        std::string key;      // empty for headers, comments and blank lines
        std::string value;
    };
    std::vector<Line> lines_;
};

// A settings file is a few kilobytes; anything past this is not one.
inline constexpr size_t kIniFileLimit = 1u << 20;

// A missing file is an empty one. False (with the reason, and `out` empty) when
// something stands at `path` that cannot be read: no permission, a folder, a FIFO or
// device, a loop, more than kIniFileLimit bytes.
bool loadIniFile(const std::string& path, IniFile& out, std::string& error);
// Writes `<file>.tmp` beside the file `path` names (through its links) and renames it
// over that file, so a crash never leaves a half-written settings file behind; a
// `<file>.tmp` left by an earlier, killed save is removed first.
bool saveIniFileAtomically(const std::string& path, const IniFile& ini, std::string& error);

}  // namespace velmora::app
