#pragma once
// A command set (".ncm"): a plain text file, one command per line, loaded into the
// command line's history. Read in any pieces; Windows-1251 or UTF-8, CR LF or LF.
// A file is taken only when every line is a command the console could send, so a
// wrong file never replaces the history.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::console {

// Larger files are not command sets (the history keeps eight lines).
inline constexpr size_t kMaxCommandSetBytes = 64 * 1024;
// What a file larger than that is told.
std::string commandSetTooLargeText();

struct CommandSet {
    std::vector<std::string> commands;  // blank lines left out, each line trimmed
    std::string error;                  // empty when the file is usable
};

class CommandSetReader {
public:
    void feed(std::string_view bytes);
    CommandSet finish();

private:
    void endLine();

    std::string line_;
    CommandSet out_;
    size_t size_ = 0;
    size_t lineNumber_ = 0;
    bool tooLarge_ = false;
};

CommandSet readCommandSet(std::string_view bytes);

}  // namespace velmora::console
