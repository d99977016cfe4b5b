#pragma once
// The status bar `sb1` is painted as one widget; screen readers get its three panels
// as three children of it, in panel order, each named by the panel's text.

namespace velmora::gui {

// Registers the accessible interface of StatusPanels; once is enough, more is harmless.
void installStatusPanelsAccessibility();

}  // namespace velmora::gui
