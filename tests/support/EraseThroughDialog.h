#pragma once
// "Очистить Flash" as the user does it: the range typed into the erase dialog, the
// dialog's button, and the final message box answered.

#include <QMessageBox>
#include <QString>

#include "firmware/gui/FirmwareActions.h"
#include "firmware/gui/TFClear_FL.h"
#include "link/OperationKind.h"
#include "tests/support/WindowFixture.h"

namespace velmora::testing {

// Returns the final message box's text; empty when the dialog never came.
inline QString eraseThroughTheDialog(app::TFTerminal& w, const QString& from, const QString& to) {
    QString finalMessage;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<firmware::TFClear_FL*>(modal);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->objectName(), "TFClear_FL");
        dialog->edStartAdr->setText(from);
        dialog->edFinAdr_FL->setText(to);
        whenModal([&](QWidget* box) {
            finalMessage = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        dialog->btnErrase->click();
    });
    w.firmwareActions().pmSys_ClFlClick();
    return finalMessage;
}

// Whether node `cid`'s Flash reads FF over `count` bytes from `address`.
inline bool flashReadsErased(app::TFTerminal& w, uint8_t cid, uint16_t address, uint8_t count) {
    std::array<uint8_t, 256> reply{};
    const link::Request read{cid, link::rdFlash, address, static_cast<uint8_t>(count + 1), 0, 3};
    if (!w.engine().transact(read, {}, reply).ok()) return false;
    for (int i = 0; i < count; ++i)
        if (reply[static_cast<size_t>(i)] != 0xFF) return false;
    return true;
}

}  // namespace velmora::testing
