#pragma once

class QWidget;

namespace velmora::gui {

// Moves `tool`, a window not shown yet, to where velmora::placeToolWindow puts it beside
// or over the window of `main`, on that window's screen. Nothing moves without `main`.
void placeToolWindow(QWidget* tool, const QWidget* main);

}  // namespace velmora::gui
