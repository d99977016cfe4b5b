#pragma once
// `velmora-cli send [--crc-hi] [--wait MS] HH HH ...`: one typed frame, sent as the
// Terminal page sends it, its log lines printed as the page writes them.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "link/TransactionEngine.h"

namespace velmora::cli {

struct SendRequest {
    std::string text;  // the bytes as typed, blank-separated
    bool crcHighFirst = false;
    uint32_t waitMs = 700;
};

// The words after "send"; the bytes may come as several words or as one.
std::optional<SendRequest> parseSendWords(const std::vector<std::string>& words,
                                          std::string& error);

// Why the bytes cannot be sent (a bad token, too many bytes), before the port is opened;
// nothing when they can.
std::optional<std::string> sendRefusal(const SendRequest& request);

// Sends, waits, prints the lines to `out`. Exit status: 0 for a reply with a good CRC,
// 1 otherwise, 2 when the bytes were refused.
int runSend(link::TransactionEngine& engine, const SendRequest& request, std::FILE* out,
            std::FILE* err);

}  // namespace velmora::cli
