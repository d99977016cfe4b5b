#pragma once
// The settings file over one run: read once at start, written back once at closing,
// and never written over when that would lose what the user keeps in it.

#include <string>

#include "app/AppSettings.h"

namespace velmora::app {

enum class SettingsAccess {
    Writable,    // there and ours to replace, or not there yet
    ReadOnly,    // readable, but its permissions say it is not to be changed
    Unreadable,  // something is there that we cannot read
};

enum class SaveOutcome { Saved, RefusedUnreadable, RefusedReadOnly, Failed };

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Saved;
    std::string error;  // the file system's reason, for Failed and the refusals
};

// How the file at `path` (through its links) may be used now.
SettingsAccess settingsAccess(const std::string& path);

class SettingsStore {
public:
    explicit SettingsStore(std::string path) : path_(std::move(path)) {}

    // The defaults stand in for what cannot be read.
    AppSettings load();
    SettingsAccess accessAtLoad() const { return accessAtLoad_; }
    const std::string& loadError() const { return loadError_; }

    // Merges `settings` into the file as it is now, keeping the user's other lines.
    // Refused when the file could not be read at start (its settings never reached the
    // window, so the window's would replace them) or cannot be read or written now.
    SaveResult save(const AppSettings& settings);

private:
    std::string path_;
    SettingsAccess accessAtLoad_ = SettingsAccess::Writable;
    std::string loadError_;
};

}  // namespace velmora::app
