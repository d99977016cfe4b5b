#pragma once

class QWidget;
class QString;

namespace velmora::gui {

// The width a title bar needs to show `caption` whole: the text in the title font, bold
// as most window managers draw it, beside the window icon and up to three buttons, each
// about as wide as the bar is high.
int captionWidth(const QString& caption);

// About how high a window manager draws a title bar: the title font's line and a margin.
// For a window whose frame is not known yet.
int titleBarHeight();

// Keeps `dialog` at least as wide as its caption needs, so the window manager does not
// cut the caption to "Выбор н… порта". Call once the caption and the layout are set.
void fitCaption(QWidget* dialog);

}  // namespace velmora::gui
