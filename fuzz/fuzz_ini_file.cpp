// The settings file as found on disk, any bytes at all. Written back and read again it
// must give every key the value it had; a key set afterwards reads back as set and
// survives the same round trip. Input: one byte choosing how much of the rest is the
// key to set (section, key, value), then the file text.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/IniFile.h"
#include "fuzz/FuzzInput.h"

using velmora::app::IniFile;

namespace {

[[noreturn]] void fault(const char* what, const std::string& key) {
    std::fprintf(stderr, "fuzz_ini_file: %s (key '%s')\n", what, key.c_str());
    std::abort();
}

// Every key with the section it sits in, found independently of IniFile: a line whose
// first non-blank character is not '[', ';' or '#' and that has a '=' after a name.
std::vector<std::pair<std::string, std::string>> keysOf(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> keys;
    std::string section;
    auto trim = [](std::string_view s) {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
            s.remove_suffix(1);
        return s;
    };
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view t = trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
            section = std::string(trim(t.substr(1, t.size() - 2)));
        } else if (!t.empty() && t.front() != ';' && t.front() != '#') {
            size_t eq = t.find('=');
            // A name of nothing but blanks and CRs is no key ("\r=1").
            std::string_view name = eq == std::string_view::npos ? "" : trim(t.substr(0, eq));
            if (!name.empty()) keys.emplace_back(section, std::string(name));
        }
    }
    return keys;
}

void checkRoundTrip(const IniFile& ini,
                    const std::vector<std::pair<std::string, std::string>>& keys) {
    IniFile again = IniFile::parse(ini.text());
    for (const auto& [section, key] : keys) {
        auto before = ini.value(section, key);
        if (!before) fault("key present in the text but not found", key);
        if (again.value(section, key) != before) fault("value changed by a write and read", key);
    }
}

// Letters and digits only: a section or key name a program would use.
std::string nameFrom(std::string_view raw) {
    std::string out;
    for (char c : raw)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out += c;
    return out.empty() ? std::string("K") : out;
}

// Printable ASCII without surrounding blanks: a value as the program writes it.
std::string valueFrom(std::string_view raw) {
    std::string out;
    for (char c : raw)
        if (c >= 0x20 && c < 0x7F) out += c;
    while (!out.empty() && out.front() == ' ') out.erase(out.begin());
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    velmora::fuzz::FuzzInput in(data, size);
    const uint8_t split = in.byte();
    auto setPart = in.bytes(split & 0x3F);
    auto rest = in.bytes(in.left());
    std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());

    IniFile ini = IniFile::parse(text);
    auto keys = keysOf(text);
    checkRoundTrip(ini, keys);

    std::string_view setText(reinterpret_cast<const char*>(setPart.data()), setPart.size());
    const size_t third = setText.size() / 3;
    const std::string section = nameFrom(setText.substr(0, third));
    const std::string key = nameFrom(setText.substr(third, third));
    const std::string value = valueFrom(setText.substr(2 * third));
    ini.set(section, key, value);
    if (ini.value(section, key) != value) fault("set value not read back", key);
    keys.emplace_back(section, key);
    checkRoundTrip(ini, keys);
    return 0;
}
