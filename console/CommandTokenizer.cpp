#include "console/CommandTokenizer.h"

#include "common/NumberText.h"

namespace velmora::console {

namespace {

bool isBlank(const std::string& ch) {
    return ch == " ";
}

// Length of the UTF-8 sequence a lead byte announces; 1 for a byte that cannot lead one,
// so stray bytes still count as one character each.
size_t sequenceLength(uint8_t lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

bool isContinuation(uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// Tabs, line ends and the other control characters: trimmed at the ends like blanks,
// but inside the line part of a token.
bool isControl(const std::string& ch) {
    return ch.size() == 1 && static_cast<uint8_t>(ch[0]) < 0x20;
}

}  // namespace

std::string commandErrorText(const ParsedCommand& command) {
    switch (command.error) {
        case CommandError::None:
            return {};
        case CommandError::BadToken:
            return "'$" + command.badToken + "' is not a valid integer value";
        case CommandError::TooLong:
            return "Команда длиннее 254 байт не передается";
    }
    return {};
}

void CommandTokenizer::feed(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<uint8_t>(c);
        if (!pending_.empty() && !isContinuation(byte)) {
            // An unfinished sequence before a new lead: each of its bytes stands alone.
            for (char p : std::string(pending_)) feedChar(std::string(1, p));
            pending_.clear();
        }
        if (pending_.empty() && sequenceLength(byte) == 1) {
            feedChar(std::string(1, c));
            continue;
        }
        pending_ += c;
        if (pending_.size() == sequenceLength(static_cast<uint8_t>(pending_[0]))) {
            feedChar(pending_);
            pending_.clear();
        }
    }
}

void CommandTokenizer::feedChar(const std::string& ch) {
    if (isBlank(ch) || isControl(ch)) {
        // A run of blanks ends a token once, like one blank.
        const bool repeatBlank = isBlank(ch) && !held_.empty() && isBlank(held_.back());
        if (started_ && !repeatBlank) held_.push_back(ch);
        return;
    }
    started_ = true;
    for (const std::string& h : held_) apply(h);
    held_.clear();
    apply(ch);
}

void CommandTokenizer::apply(const std::string& ch) {
    if (isBlank(ch)) {
        endToken();
        return;
    }
    token_.push_back(ch);
    if (token_.size() > 2) token_.erase(token_.begin());
}

void CommandTokenizer::endToken() {
    if (token_.empty()) return;
    std::string text;
    for (const std::string& ch : token_) text += ch;
    token_.clear();
    if (out_.error != CommandError::None) return;
    const auto value = parseHex(text, 0xFF);
    if (!value) {
        out_.error = CommandError::BadToken;
        out_.badToken = text;
        return;
    }
    // Counted past the limit, never stored: a long paste cannot grow the frame.
    if (++count_ <= kMaxCommandBytes) out_.bytes.push_back(static_cast<uint8_t>(*value));
}

ParsedCommand CommandTokenizer::finish() {
    for (char p : std::string(pending_)) feedChar(std::string(1, p));
    pending_.clear();
    held_.clear();
    endToken();
    started_ = false;
    ParsedCommand out = std::move(out_);
    if (out.error == CommandError::None && count_ > kMaxCommandBytes) out.error = CommandError::TooLong;
    if (out.error != CommandError::None) out.bytes.clear();
    out_ = {};
    count_ = 0;
    return out;
}

ParsedCommand parseCommandLine(std::string_view text) {
    CommandTokenizer tokenizer;
    tokenizer.feed(text);
    return tokenizer.finish();
}

}  // namespace velmora::console
