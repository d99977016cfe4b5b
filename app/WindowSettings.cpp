#include "app/WindowSettings.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/WindowGeometry.h"

namespace velmora::app {

WindowSettings::WindowSettings(QWidget* window, const QString& path)
    : QObject(window), store_(path.toStdString()) {
    setObjectName("windowSettings");
    settings_ = store_.load();
    if (store_.accessAtLoad() == SettingsAccess::Unreadable)
        qWarning("velmora: %s", store_.loadError().c_str());
}

WindowSettings* WindowSettings::read(QWidget* window, const QString& path) {
    delete of(window);
    return new WindowSettings(window, path);
}

WindowSettings* WindowSettings::of(QWidget* window) {
    return window->findChild<WindowSettings*>(QString(), Qt::FindDirectChildrenOnly);
}

void WindowSettings::applyGeometry(QWidget* window) const {
    // Never below the window's least size: Qt would enlarge it at the show, and with that
    // change take the stored place for the client area's instead of the frame's.
    const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
    WindowRect wanted{settings_.left, settings_.top, std::max(settings_.width, least.width()),
                      std::max(settings_.height, least.height())};
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window->resize(wanted.width, wanted.height);
        window->move(wanted.left, wanted.top);
        return;
    }
    // The file gives the inner size and the frame's corner; the frame must fit too (it is
    // known once the window is shown; before that it counts as none).
    const QSize frame = window->frameGeometry().size() - window->size();
    const QRect area = screen->availableGeometry();
    const WindowRect fitted = fitIntoArea(
        {wanted.left, wanted.top, wanted.width + frame.width(), wanted.height + frame.height()},
        {area.left(), area.top(), area.width(), area.height()});
    window->resize(fitted.width - frame.width(), fitted.height - frame.height());
    // Before the native window exists Qt takes this as the frame's corner, as the file
    // keeps it; after, while the frame is not yet known, as the client area's.
    window->move(fitted.left, fitted.top);
}

std::string WindowSettings::notSavedNotice() const {
    switch (store_.accessAtLoad()) {
        case SettingsAccess::ReadOnly:
            return "Файл настроек только для чтения: настройки не сохранятся";
        case SettingsAccess::Unreadable:
            return "Файл настроек не читается: настройки не сохранятся";
        case SettingsAccess::Writable:
            break;
    }
    return {};
}

SaveOutcome WindowSettings::save(const AppSettings& settings) {
    SaveResult result = store_.save(settings);
    switch (result.outcome) {
        case SaveOutcome::Saved:
            break;
        case SaveOutcome::RefusedReadOnly:
            qWarning("velmora: settings not saved: %s", result.error.c_str());
            break;
        case SaveOutcome::RefusedUnreadable:
            qWarning("velmora: settings not saved, the file could not be read: %s",
                     result.error.c_str());
            break;
        case SaveOutcome::Failed:
            qWarning("velmora: %s", result.error.c_str());
            break;
    }
    return result.outcome;
}

}  // namespace velmora::app
