#pragma once
// A test file checked whole as it is opened, before any of its lines can be sent: a bad
// line found in the middle of a run would be refused only after the lines above it had
// already reached the module. The tester window and `velmora-cli test` both use it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/TestLine.h"

namespace velmora::tools {

struct TestFileVerdict {
    bool ok = true;
    size_t line = 0;      // 1-based number of the refused line; 0 for the file as a whole
    std::string message;  // names the file, and the line when one is at fault
};

// `path` as the user named the file; `lines` as testFileLines gives them. Refused: the
// first line that is not hexadecimal pairs or is too long, or a file whose lines are all
// blank (it holds no command).
TestFileVerdict checkTestFile(std::string_view path, const std::vector<std::string>& lines);

// "PATH, line N: " and the line's conversion-error text.
std::string testLineMessage(std::string_view path, size_t lineNumber, const TestLineBytes& parsed);

}  // namespace velmora::tools
