#include "app/FlashRunPanel.h"

#include <QCoreApplication>

#include "common/HexText.h"

namespace velmora::app {

void FlashRunPanel::begin(const QString& caption, bool stoppable) {
    views::FlashTabWidgets* f = tab_();
    // Put back at the end: an erase shows its progress in the address box.
    bottomText_ = f->cbBottomAdrFL->currentText();
    addressText_ = f->edAdrFL->text();
    panelText_ = f->PanelRec->text();
    QLabel* panel = f->PanelRec;
    // A warning panel: white bold on dark red reads at a glance (blue on red does not).
    panel->setStyleSheet(
        "QLabel#PanelRec { background: #b00000; color: white; font-weight: bold; padding: 1px 6px; }");
    panel->setText(caption);
    panel->setAccessibleName(caption);
    panel->show();
    // Painted at once, before the event loop runs again: the row must make room for the
    // panel first, or its text shows cut at whatever width it had while hidden.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    panel->repaint();
    if (stoppable) f->sbStopRec->show();
}

void FlashRunPanel::progress(const QString& text) {
    tab_()->PanelRec->setText(text);
}

void FlashRunPanel::address(uint32_t address) {
    tab_()->edAdrFL->setText(QString::fromStdString(hexNumber(address, 4)));
}

void FlashRunPanel::end() {
    views::FlashTabWidgets* f = tab_();
    f->sbStopRec->hide();
    f->cbBottomAdrFL->setCurrentText(bottomText_);
    f->edAdrFL->setText(addressText_);
    f->PanelRec->setText(panelText_);
    f->PanelRec->hide();
}

void FlashRunPanel::wire(std::function<void()> stop, std::function<void()> writeFromMemory) {
    views::FlashTabWidgets* f = tab_();
    QObject::connect(f->sbStopRec, &QPushButton::clicked, f->sbStopRec, std::move(stop));
    QObject::connect(f->btnRecFromMemory, &QPushButton::clicked, f->btnRecFromMemory,
                     std::move(writeFromMemory));
}

void FlashRunPanel::toggleWriteFromMemory() {
    QPushButton* b = tab_()->btnRecFromMemory;
    b->setVisible(!b->isVisible());
}

}  // namespace velmora::app
