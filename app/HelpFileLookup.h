#pragma once
// Where F1 finds the help file. Run from the build or a copied folder, the file lies
// beside the program or in the folder it is started from; installed, it lies in the
// data folder of the same prefix, found relative to the program so that a prefix moved
// elsewhere still works, or in one of the user's and the system's data folders.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora::app {

inline constexpr const char* kHelpFileName = "Velmora.hlp";

struct HelpPlaces {
    std::string programDir;             // the folder of the running program
    std::string currentDir;             // the folder it was started from
    std::vector<std::string> dataDirs;  // the data folders, most personal first
};

// Every place looked at, in order.
std::vector<std::string> helpFileCandidates(const HelpPlaces& places);

// The first candidate that `isFile` says is there; nothing when none is.
std::optional<std::string> findHelpFile(const HelpPlaces& places,
                                        const std::function<bool(const std::string&)>& isFile);

}  // namespace velmora::app
