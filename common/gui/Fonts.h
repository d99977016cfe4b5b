#pragma once

#include <QFont>
#include <QString>

namespace velmora::gui {

// A fixed-pitch font for columns of hex bytes and addresses: the named family where the
// machine has it and it draws fixed-pitch, else a family asked for by the monospace style
// hint, the platform's fixed font, or the first installed fixed-pitch family. On a
// desktop with many fonts a family name alone may resolve to a proportional face.
QFont namedFont(const QString& family, int pointSize, bool bold);

}  // namespace velmora::gui
