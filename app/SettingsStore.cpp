#include "app/SettingsStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "common/LinkTarget.h"

namespace velmora::app {

namespace {

// No write bit for anyone is a read-only file even to root, who could write it anyway:
// the owner has said it is not to change.
bool writeProtected(const std::string& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return false;  // not there: a new file is fine
    return (st.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0;
}

}  // namespace

SettingsAccess settingsAccess(const std::string& path) {
    std::string error;
    IniFile probe;
    std::optional<std::string> target = linkTarget(path, error);
    if (!target || !loadIniFile(*target, probe, error)) return SettingsAccess::Unreadable;
    return writeProtected(*target) ? SettingsAccess::ReadOnly : SettingsAccess::Writable;
}

AppSettings SettingsStore::load() {
    IniFile ini;
    loadError_.clear();
    if (!loadIniFile(path_, ini, loadError_)) {
        accessAtLoad_ = SettingsAccess::Unreadable;
        return readSettings(IniFile());
    }
    accessAtLoad_ = settingsAccess(path_);
    return readSettings(ini);
}

SaveResult SettingsStore::save(const AppSettings& settings) {
    SaveResult result;
    if (accessAtLoad_ == SettingsAccess::Unreadable) {
        result.outcome = SaveOutcome::RefusedUnreadable;
        result.error = loadError_;
        return result;
    }
    IniFile ini;
    if (!loadIniFile(path_, ini, result.error)) {
        result.outcome = SaveOutcome::RefusedUnreadable;
        return result;
    }
    if (settingsAccess(path_) == SettingsAccess::ReadOnly) {
        result.outcome = SaveOutcome::RefusedReadOnly;
        result.error = path_ + " is read-only";
        return result;
    }
    writeSettings(ini, settings);
    if (!saveIniFileAtomically(path_, ini, result.error)) result.outcome = SaveOutcome::Failed;
    return result;
}

}  // namespace velmora::app
