#include "app/MainPages.h"

#include <QTabBar>
#include <QVBoxLayout>

#include "common/gui/PageParts.h"

namespace velmora::app {

namespace {

QWidget* modulePage(MainPages& p) {
    auto* page = gui::named(new QWidget, "tsModul");
    auto* v = new QVBoxLayout(page);
    v->addWidget(gui::caption("******* Мониторинг *******"));
    p.pcMon = gui::named(new QTabWidget, "pcMon");
    p.pcMon->setAccessibleName("pcMon");
    p.pcMon->addTab(system::buildIdentTab(p), "  Ident  ");
    p.pcMon->addTab(views::buildFlashTab(p), "  Flash  ");
    p.pcMon->addTab(views::buildRamTab(p), "  RAM/SFR  ");
    p.pcMon->addTab(views::buildEepromTab(p), "  EEPROM  ");
    p.pcMon->addTab(views::buildSfrTab(p), "  SFR  ");
    v->addWidget(p.pcMon, 1);
    v->addWidget(gui::caption(gui::kPageFooter));
    return page;
}

}  // namespace

MainPages buildMainPages(QWidget* parent) {
    MainPages p;
    p.pcChan = gui::named(new QTabWidget(parent), "pcChan");
    p.pcChan->setAccessibleName("pcChan");
    p.pcChan->setTabPosition(QTabWidget::South);
    QFont bold = p.pcChan->font();
    bold.setBold(true);
    p.pcChan->tabBar()->setFont(bold);
    p.pcChan->setStyleSheet("QTabWidget#pcChan > QTabBar::tab { width: 140px; }");
    p.tsSysem = system::buildSystemPage(p);
    p.tsModul = modulePage(p);
    p.TabSheet13 = console::buildTerminalPage(p);
    p.pcChan->addTab(p.tsSysem, "    Система       ");
    p.pcChan->addTab(p.tsModul, "  Модуль  ");
    p.pcChan->addTab(p.TabSheet13, "Терминал");
    return p;
}

}  // namespace velmora::app
