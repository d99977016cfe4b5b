// velmora_save_loop KIND PATH [COUNT]: saves the settings file (KIND "settings") or a
// system configuration file (KIND "config") at PATH through the program's own saving
// routines, alternating between two contents, and writes one line to standard output
// after each save. It stops after COUNT saves, else when it is killed.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/SettingsStore.h"
#include "system/ConfigFile.h"
#include "tests/support/SaveLoopContents.h"

using namespace velmora;

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: velmora_save_loop settings|config PATH [COUNT]\n");
        return 2;
    }
    const std::string kind = argv[1];
    const std::string path = argv[2];
    const long count = argc == 4 ? std::atol(argv[3]) : -1;
    if (kind != "settings" && kind != "config") return 2;

    app::SettingsStore store(path);
    if (kind == "settings") store.load();
    for (long n = 0; count < 0 || n < count; ++n) {
        const int phase = static_cast<int>(n % 2);
        std::string error;
        if (kind == "settings") {
            app::SaveResult r = store.save(testing::saveLoopSettings(phase));
            if (r.outcome != app::SaveOutcome::Saved) error = "settings not saved: " + r.error;
        } else {
            error = system::writeConfigFile(path, testing::saveLoopRows(phase));
        }
        if (!error.empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        // Unbuffered: the line must be out before the next save starts.
        if (::write(STDOUT_FILENO, "saved\n", 6) != 6) return 1;
    }
    return 0;
}
