#pragma once

namespace velmora::gui {

// The main window's caption. Every message box of the program carries it as its title,
// whichever window it opens over, so a message always says whose it is in one way.
inline constexpr char kProgramCaption[] = "Velmora  v2.03";

}  // namespace velmora::gui
