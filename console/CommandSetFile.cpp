#include "console/CommandSetFile.h"

#include "common/Cp1251.h"
#include "console/CommandTokenizer.h"

namespace velmora::console {

namespace {

bool validUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<uint8_t>(s[i]);
        size_t n = b < 0x80 ? 1 : (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3
                                : (b >= 0xF0 && b <= 0xF4) ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<uint8_t>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

std::string trimmed(std::string_view s) {
    auto blank = [](char c) { return static_cast<uint8_t>(c) <= 0x20; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return std::string(s);
}

}  // namespace

std::string commandSetTooLargeText() {
    return "Файл больше " + std::to_string(kMaxCommandSetBytes / 1024) + " КБ: это не набор команд";
}

void CommandSetReader::feed(std::string_view bytes) {
    size_ += bytes.size();
    if (size_ > kMaxCommandSetBytes) tooLarge_ = true;
    if (tooLarge_) return;
    for (char c : bytes) {
        if (c == '\n') {
            endLine();
            continue;
        }
        line_ += c;
    }
}

void CommandSetReader::endLine() {
    ++lineNumber_;
    std::string text = trimmed(line_);
    line_.clear();
    if (!out_.error.empty() || text.empty()) return;
    if (!validUtf8(text)) text = cp1251ToUtf8(text);
    if (text.find('\0') != std::string::npos) {
        out_.error = "Строка " + std::to_string(lineNumber_) + ": не текст";
        return;
    }
    const ParsedCommand command = parseCommandLine(text);
    if (command.error != CommandError::None) {
        out_.error = "Строка " + std::to_string(lineNumber_) + ": " + commandErrorText(command);
        return;
    }
    out_.commands.push_back(std::move(text));
}

CommandSet CommandSetReader::finish() {
    if (!tooLarge_ && !line_.empty()) endLine();
    CommandSet out = std::move(out_);
    if (tooLarge_)
        out = {{}, commandSetTooLargeText()};
    else if (out.error.empty() && out.commands.empty())
        out.error = "В файле нет команд";
    if (!out.error.empty()) out.commands.clear();
    *this = CommandSetReader();
    return out;
}

CommandSet readCommandSet(std::string_view bytes) {
    CommandSetReader reader;
    reader.feed(bytes);
    return reader.finish();
}

}  // namespace velmora::console
