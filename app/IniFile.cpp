#include "app/IniFile.h"

#include "common/FileReplace.h"
#include "common/NumberText.h"
#include "common/RegularFileRead.h"

namespace velmora::app {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
    IniFile ini;
    std::string section;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string_view raw = text.substr(pos, end == std::string_view::npos ? end : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        Line line{std::string(raw), section, {}, {}};
        std::string_view t = trim(raw);
        if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
            section = std::string(trim(t.substr(1, t.size() - 2)));
            line.section = section;
        } else if (!t.empty() && t.front() != ';' && t.front() != '#') {
            size_t eq = t.find('=');
            if (eq != std::string_view::npos && eq > 0) {
                line.key = std::string(trim(t.substr(0, eq)));
                line.value = std::string(trim(t.substr(eq + 1)));
            }
        }
        ini.lines_.push_back(std::move(line));
    }
    return ini;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    for (const Line& l : lines_)
        if (!l.key.empty() && sameText(l.section, section) && sameText(l.key, key)) return l.value;
    return std::nullopt;
}

std::optional<long long> IniFile::integer(std::string_view section, std::string_view key) const {
    auto v = value(section, key);
    if (!v) return std::nullopt;
    return parseDecimal(*v, -999999999999999999LL, 999999999999999999LL);
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    std::string raw = std::string(key) + "=" + std::string(value);
    size_t lastOfSection = lines_.size();
    for (size_t i = 0; i < lines_.size(); ++i) {
        Line& l = lines_[i];
        if (!sameText(l.section, section)) continue;
        if (!l.key.empty() && sameText(l.key, key)) {
            l.value = std::string(value);
            l.raw = std::string(l.key) + "=" + l.value;
            return;
        }
        // Keep blank lines that close a section after the keys added to it.
        if (!trim(l.raw).empty()) lastOfSection = i;
    }
    Line line{raw, std::string(section), std::string(key), std::string(value)};
    if (lastOfSection == lines_.size()) {
        if (!lines_.empty() && !trim(lines_.back().raw).empty())
            lines_.push_back({"", lines_.back().section, {}, {}});
        lines_.push_back({"[" + std::string(section) + "]", std::string(section), {}, {}});
        lines_.push_back(std::move(line));
    } else {
        lines_.insert(lines_.begin() + static_cast<long>(lastOfSection) + 1, std::move(line));
    }
}

std::string IniFile::text() const {
    std::string out;
    for (const Line& l : lines_) out += l.raw + "\r\n";
    return out;
}

bool loadIniFile(const std::string& path, IniFile& out, std::string& error) {
    out = IniFile();
    FileRead file = readRegularFile(path, kIniFileLimit);
    // Only a name that is not there is "no settings yet"; a loop of links, a forbidden
    // folder, a FIFO and the like are files we failed to read.
    if (file.fault == FileReadFault::Missing) return true;
    if (!file.ok()) {
        error = file.message;
        return false;
    }
    out = IniFile::parse(file.text);
    return true;
}

bool saveIniFileAtomically(const std::string& path, const IniFile& ini, std::string& error) {
    return replaceFile(path, ini.text(), error);
}

}  // namespace velmora::app
