#pragma once
// `velmora-cli test FILE.tst [--once] [--period MS] [--log FILE]`: a test file replayed as
// the command tester replays it, its monitor lines printed.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "link/TransactionEngine.h"

namespace velmora::cli {

struct TestRequest {
    std::string file;
    bool once = false;
    uint32_t periodMs = 250;
    std::string logFile;              // empty: no log
    std::vector<std::string> lines;   // the file's lines, once loaded
    int maxPasses = -1;               // cyclic runs end after this many passes (tests); -1 never
};

// The words after "test".
std::optional<TestRequest> parseTestWords(const std::vector<std::string>& words, std::string& error);

// Reads the file into `request.lines` and checks it whole; the reason when it cannot be
// read or is refused (naming the file and the line), before any port is opened.
std::optional<std::string> loadTestRequest(TestRequest& request);

// Runs until interrupted (or once through with --once). Exit status: 0 after --once with
// every frame answered, 1 when a frame got fewer than 3 bytes back or the log could not
// be written, 2 when the file is refused (it is checked whole before anything is sent).
int runTestCommand(link::TransactionEngine& engine, const TestRequest& request, std::FILE* out,
                   std::FILE* err);

}  // namespace velmora::cli
