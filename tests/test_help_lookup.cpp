// Where F1 finds the help file: beside the program, in the folder it was started from,
// in the data folder of its own prefix, in the data folders.

#include <gtest/gtest.h>

#include <set>

#include "app/HelpFileLookup.h"

using namespace velmora::app;

namespace {

TEST(HelpFileLookup, FirstPlaceThatHoldsTheFileWins) {
    // An installed program in /opt/velmora/bin, started from a work folder; the user's
    // data folder and the system's.
    const HelpPlaces installed{"/opt/velmora/bin", "/home/ivan/work",
                               {"/home/ivan/.local/share", "/usr/local/share", "/usr/share"}};
    // The build tree, started from the repository as scripts/start does.
    const HelpPlaces built{"/src/velmora/build/app", "/src/velmora", {"/usr/share"}};

    struct Case {
        const char* what;
        HelpPlaces places;
        std::set<std::string> present;
        std::optional<std::string> used;
    };
    const Case cases[] = {
        {"nothing anywhere", installed, {}, std::nullopt},
        {"only the prefix's data folder", installed,
         {"/opt/velmora/bin/../share/velmora/Velmora.hlp"},
         "/opt/velmora/bin/../share/velmora/Velmora.hlp"},
        {"a copy beside the program wins over the installed one", installed,
         {"/opt/velmora/bin/Velmora.hlp", "/opt/velmora/bin/../share/velmora/Velmora.hlp"},
         "/opt/velmora/bin/Velmora.hlp"},
        {"the start folder's copy wins over the installed one", installed,
         {"/home/ivan/work/Velmora.hlp", "/opt/velmora/bin/../share/velmora/Velmora.hlp"},
         "/home/ivan/work/Velmora.hlp"},
        {"beside the program wins over the start folder", installed,
         {"/home/ivan/work/Velmora.hlp", "/opt/velmora/bin/Velmora.hlp"},
         "/opt/velmora/bin/Velmora.hlp"},
        {"the prefix's own data folder wins over the data folders", installed,
         {"/usr/share/velmora/Velmora.hlp", "/opt/velmora/bin/../share/velmora/Velmora.hlp"},
         "/opt/velmora/bin/../share/velmora/Velmora.hlp"},
        {"the user's data folder before the system's", installed,
         {"/usr/share/velmora/Velmora.hlp", "/home/ivan/.local/share/velmora/Velmora.hlp"},
         "/home/ivan/.local/share/velmora/Velmora.hlp"},
        {"only in the system's data folder", installed, {"/usr/share/velmora/Velmora.hlp"},
         "/usr/share/velmora/Velmora.hlp"},
        {"a data folder's file by another name is not it", installed,
         {"/usr/share/Velmora.hlp", "/usr/share/velmora/velmora.hlp"}, std::nullopt},
        {"the build started from the repository", built, {"/src/velmora/Velmora.hlp"},
         "/src/velmora/Velmora.hlp"},
        {"the build started elsewhere: the installed copy", built,
         {"/usr/share/velmora/Velmora.hlp"}, "/usr/share/velmora/Velmora.hlp"},
        {"a folder given with its slash", HelpPlaces{"/opt/v/bin/", "", {"/usr/share/"}},
         {"/usr/share/velmora/Velmora.hlp"}, "/usr/share/velmora/Velmora.hlp"},
        {"no start folder known", HelpPlaces{"/opt/v/bin", "", {}}, {"Velmora.hlp"},
         std::nullopt},
    };
    for (const Case& c : cases) {
        auto isFile = [&](const std::string& path) { return c.present.count(path) > 0; };
        EXPECT_EQ(findHelpFile(c.places, isFile), c.used) << c.what;
    }
}

}  // namespace
