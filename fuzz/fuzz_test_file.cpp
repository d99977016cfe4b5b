// A whole test file, any bytes at all, checked before anything is sent. What the check
// says must agree with the lines one by one: a refused line is the first one the line
// reading refuses, every line above it reads; a file let through has only lines that
// read and at least one that gives bytes; a file refused as a whole has none that does.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/TestFileCheck.h"
#include "tools/TestList.h"

using namespace velmora::tools;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_test_file: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = testFileLines(text);
    const TestFileVerdict verdict = checkTestFile("f.tst", lines);
    size_t firstBad = 0;
    bool anyBytes = false;
    for (size_t i = 0; i < lines.size() && !firstBad; ++i) {
        const TestLineBytes parsed = parseTestLine(lines[i]);
        if (parsed.error != TestLineError::None)
            firstBad = i + 1;
        else
            anyBytes = anyBytes || !parsed.bytes.empty();
    }
    if (verdict.ok != (!firstBad && anyBytes)) fault("verdict disagrees with the lines");
    if (!verdict.ok && verdict.line != firstBad) fault("refused line is not the first bad one");
    if (!verdict.ok && verdict.message.rfind("f.tst", 0) != 0) fault("message does not name the file");
    if (verdict.line && verdict.message.find(", line " + std::to_string(verdict.line) + ": ") ==
                            std::string::npos)
        fault("message does not name the line");
    return 0;
}
