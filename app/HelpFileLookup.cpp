#include "app/HelpFileLookup.h"

namespace velmora::app {

namespace {

std::string inFolder(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace

std::vector<std::string> helpFileCandidates(const HelpPlaces& places) {
    const std::string installed = std::string("velmora/") + kHelpFileName;
    std::vector<std::string> out;
    if (!places.programDir.empty()) out.push_back(inFolder(places.programDir, kHelpFileName));
    if (!places.currentDir.empty()) out.push_back(inFolder(places.currentDir, kHelpFileName));
    // <prefix>/bin/velmora reads <prefix>/share/velmora/Velmora.hlp.
    if (!places.programDir.empty())
        out.push_back(inFolder(places.programDir, "../share/" + installed));
    for (const std::string& dir : places.dataDirs)
        if (!dir.empty()) out.push_back(inFolder(dir, installed));
    return out;
}

std::optional<std::string> findHelpFile(const HelpPlaces& places,
                                        const std::function<bool(const std::string&)>& isFile) {
    for (const std::string& candidate : helpFileCandidates(places))
        if (isFile(candidate)) return candidate;
    return std::nullopt;
}

}  // namespace velmora::app
