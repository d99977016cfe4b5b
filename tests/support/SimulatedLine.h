#pragma once
// The simulated line (sim/SimulatedLine.h) under the names the tests use, and the hex
// helpers tests write their frames with.

#include <string>
#include <vector>

#include "sim/SimulatedLine.h"

namespace velmora::test {

using sim::Delivery;
using sim::EngineRig;
using sim::FakeClock;
using sim::RecordingLog;
using sim::RecordingStatus;
using sim::SimulatedLine;

std::vector<uint8_t> bytesOf(const std::string& hex);
std::string hexOf(const std::vector<uint8_t>& bytes);
// Every frame the line carried, in hex without its CRC; each CRC is checked on the way.
std::vector<std::string> framesSent(const SimulatedLine& line);

}  // namespace velmora::test
