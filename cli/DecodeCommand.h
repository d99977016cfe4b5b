#pragma once
// `decode [--crc-hi] HH HH ...`: one frame taken apart, a field a line. Needs no port.

#include <cstdio>
#include <string>
#include <vector>

namespace velmora::cli {

// 0 when the CRC is right, 1 when it is wrong, 2 when the words are not a frame (the
// reason on `err`).
int runDecode(const std::vector<std::string>& words, std::FILE* out, std::FILE* err);

}  // namespace velmora::cli
