#pragma once

#include <QFont>
#include <QString>

namespace velmora::gui {

// The named font where the machine has it, else the platform's fixed-pitch font.
QFont namedFont(const QString& family, int pointSize, bool bold);

}  // namespace velmora::gui
