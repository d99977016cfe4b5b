#include "views/gui/EepromTabWidgets.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include "common/gui/PageParts.h"

namespace velmora::views {

QWidget* buildEepromTab(EepromTabWidgets& p) {
    auto* tab = new QWidget;
    auto* outer = new QHBoxLayout(tab);
    auto* v = new QVBoxLayout;
    outer->addLayout(v, 1);
    p.pnBtnEE = gui::named(new QWidget, "pnBtnEE");
    auto* column = new QVBoxLayout(p.pnBtnEE);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);
    column->addWidget(gui::caption("Диапазон EEPROM"));
    for (int i = 0; i < 8; ++i) {
        const QString caption = QString("0x%1 ... 0x%2")
                                    .arg(i * 0x100, 3, 16, QChar('0'))
                                    .arg(i * 0x100 + 0xFF, 3, 16, QChar('0'))
                                    .toUpper()
                                    .replace("0X", "0x");
        auto* panel = new TActvePanel(caption, i);
        panel->setObjectName(QString("pnEE%1").arg(i));
        p.pnEE[static_cast<size_t>(i)] = panel;
        // Hidden only once it has a parent: showing a widget without one opens it as a
        // window of its own, which takes the activation from the main window.
        column->addWidget(panel);
        if (i >= 4) panel->hide();
    }
    column->addStretch();
    // The column scrolls rather than set the window's least height.
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAccessibleName("Диапазоны EEPROM");
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(p.pnBtnEE);
    scroll->setMinimumWidth(p.pnBtnEE->sizeHint().width() + 16);
    outer->addWidget(scroll);
    p.sgEE = new MemoryGrid("sgEE", 3);
    p.sgEE->setAccessibleName("Ячейки EEPROM");
    v->addWidget(p.sgEE, 1);
    v->addWidget(gui::caption(gui::kMonitorTitle));
    auto* h = new QHBoxLayout;
    p.edAdrEE = gui::named(new QLineEdit("000"), "edAdrEE");
    p.edAdrEE->setAccessibleName("Адрес EEPROM");
    p.edAdrEE->setMaxLength(3);
    h->addWidget(gui::labelled("Адрес", p.edAdrEE));
    p.cbRangEE = gui::fixedList("cbRangEE", {"000...0FF", "100...1FF", "200...2FF", "300...3FF"});
    h->addWidget(gui::labelled("Диапазон адресов", p.cbRangEE));
    p.sbUpDateSE = gui::named(new QPushButton("Обновить"), "sbUpDateSE");
    h->addWidget(p.sbUpDateSE);
    h->addStretch();
    v->addLayout(h);
    return tab;
}

}  // namespace velmora::views
