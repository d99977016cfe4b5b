#include "tools/TestFileCheck.h"

namespace velmora::tools {

std::string testLineMessage(std::string_view path, size_t lineNumber, const TestLineBytes& parsed) {
    return std::string(path) + ", line " + std::to_string(lineNumber) + ": " +
           testLineErrorText(parsed);
}

TestFileVerdict checkTestFile(std::string_view path, const std::vector<std::string>& lines) {
    TestFileVerdict verdict;
    bool command = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const TestLineBytes parsed = parseTestLine(lines[i]);
        if (parsed.error != TestLineError::None) {
            verdict.ok = false;
            verdict.line = i + 1;
            verdict.message = testLineMessage(path, i + 1, parsed);
            return verdict;
        }
        command = command || !parsed.bytes.empty();
    }
    if (!command) {
        verdict.ok = false;
        verdict.message = std::string(path) + " holds no command";
    }
    return verdict;
}

}  // namespace velmora::tools
