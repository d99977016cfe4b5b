#pragma once
// The colours the memory grids draw their data cells in.

#include <QColor>

namespace velmora::views {

inline const QColor kStaleColour{0xC0, 0xC0, 0xC0};  // silver: values of a failed read
inline const QColor kProgrammedColour{0, 0, 0xFF};   // blue: a byte other than FF
inline const QColor kMonitorColour{0xFF, 0, 0};      // red: the monitor's own bytes
inline const QColor kSfrColour{0, 0x80, 0x80};       // teal: special function registers

}  // namespace velmora::views
