#pragma once
// Where a firmware run shows itself while it goes: a warning panel with the run's
// caption and progress, a stop button, the address an erase has reached. The program
// shows them on the Flash tab; the firmware commands know only this.

#include <QString>
#include <cstdint>
#include <functional>

namespace velmora::firmware {

class RunPanel {
public:
    virtual ~RunPanel() = default;
    // Shows the panel with `caption`, painted before the run's first transaction; the
    // stop button too when the run can be stopped.
    virtual void begin(const QString& caption, bool stoppable) = 0;
    virtual void progress(const QString& text) = 0;
    // The Flash address a run has reached, where the address box shows it.
    virtual void address(uint32_t address) = 0;
    // Hides the panel and the button; what the run showed in the address box goes.
    virtual void end() = 0;
    // "СТОП" and "Запись из памяти" call these once the panel is wired.
    virtual void wire(std::function<void()> stop, std::function<void()> writeFromMemory) = 0;
    // "Запись из памяти" shown or hidden by the menu entry of the same name.
    virtual void toggleWriteFromMemory() = 0;
};

}  // namespace velmora::firmware
