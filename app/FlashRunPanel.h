#pragma once
// The firmware runs' panel on the Flash tab: `PanelRec`, `sbStopRec`, `btnRecFromMemory`
// and the address box `edAdrFL`, the tab built when a run first shows itself.

#include <functional>

#include "firmware/gui/RunPanel.h"
#include "views/gui/FlashTabWidgets.h"

namespace velmora::app {

class FlashRunPanel : public firmware::RunPanel {
public:
    explicit FlashRunPanel(std::function<views::FlashTabWidgets*()> tab) : tab_(std::move(tab)) {}

    void begin(const QString& caption, bool stoppable) override;
    void progress(const QString& text) override;
    void address(uint32_t address) override;
    void end() override;
    void wire(std::function<void()> stop, std::function<void()> writeFromMemory) override;
    void toggleWriteFromMemory() override;

private:
    std::function<views::FlashTabWidgets*()> tab_;
    QString bottomText_;
    QString addressText_;
    QString panelText_;
};

}  // namespace velmora::app
