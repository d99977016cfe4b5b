#pragma once
// The command line of velmora-sim: what to do, the network to serve and how to serve
// it. Every refusal comes back as a message naming the option and the value.

#include <string>
#include <string_view>
#include <vector>

#include "sim/ModuleNetwork.h"
#include "sim/PtyServer.h"

namespace velmora::sim {

struct SimCommandLine {
    enum class Action { Serve, Help, PrintConfig };
    Action action = Action::Serve;
    std::string configText;  // the built-in network unless --config names a file
    PtyOptions options;
    FaultPlan faults;
    bool movingRam = false;  // ModuleNetwork::setMovingRam
};

// Reads the arguments after the program name. On a refusal returns false with the
// reason in `error`; `out` is then partly filled and must not be used.
bool parseSimCommandLine(const std::vector<std::string_view>& args, SimCommandLine& out,
                         std::string& error);

// A network description is a few lines a module; anything past this is not one.
inline constexpr size_t kConfigFileLimit = 1u << 20;

// The whole of a network description file; false with the reason (without the path)
// in `error` when it is no regular file (a directory, a FIFO that would keep the
// simulator waiting, a device), is too large or cannot be read.
bool readConfigFile(const std::string& path, std::string& text, std::string& error);

}  // namespace velmora::sim
