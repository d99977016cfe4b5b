#pragma once
// The bus scan's flags, shared with the window: the window refuses page changes while
// the system is not idle and leaves closing to the scan when one runs.

namespace velmora::system {

struct ScanState {
    bool ScanRunning = false;     // cleared to ask a running scan to stop
    bool SystemIdle = true;       // no scan is in progress
    bool CloseRequested = false;  // the window asked to close while the scan ran
};

}  // namespace velmora::system
