#pragma once
// The main window's settings file for one run: kept beside the window (as its child)
// from its first show, which reads it, to the closing, which writes it back.

#include <QObject>
#include <QString>
#include <string>

#include "app/SettingsStore.h"

class QWidget;

namespace velmora::app {

class WindowSettings : public QObject {
    Q_OBJECT
public:
    // Reads the file once and attaches the result to `window`.
    static WindowSettings* read(QWidget* window, const QString& path);
    // The one attached to `window`; null before `read`.
    static WindowSettings* of(QWidget* window);

    const AppSettings& settings() const { return settings_; }
    // Size and place from the file, kept on the primary screen's available area.
    void applyGeometry(QWidget* window) const;
    // The status-bar line saying why this run's settings will not be kept; empty when
    // they will.
    std::string notSavedNotice() const;
    // Writes back, or explains on the log why not.
    SaveOutcome save(const AppSettings& settings);

private:
    WindowSettings(QWidget* window, const QString& path);

    SettingsStore store_;
    AppSettings settings_;
};

}  // namespace velmora::app
