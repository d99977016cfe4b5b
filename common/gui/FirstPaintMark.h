#pragma once
// For start-up measurements: when VELMORA_STARTUP_MARK is set, the line "shown" goes to
// standard output the moment the window first paints, so a program watching from outside
// can time the start as the user sees it. Without the variable nothing is installed.

#include <QWidget>

namespace velmora::gui {

void markFirstPaint(QWidget* window);

}  // namespace velmora::gui
