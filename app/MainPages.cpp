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

// The page tabs are all one width. Set through the tab bar rather than a style sheet: a
// style sheet on the page control would make every widget of every page go through the
// style sheet machinery, which is most of the window's start-up time and slows painting.
class FixedTabBar : public QTabBar {
public:
    explicit FixedTabBar(int width) : width_(width) {}

protected:
    QSize tabSizeHint(int index) const override {
        return {width_, QTabBar::tabSizeHint(index).height()};
    }

private:
    int width_;
};

class FixedTabWidget : public QTabWidget {
public:
    FixedTabWidget(int tabWidth, QWidget* parent) : QTabWidget(parent) {
        setTabBar(new FixedTabBar(tabWidth));
    }
};

}  // namespace

MainPages buildMainPages(QWidget* parent) {
    MainPages p;
    p.pcChan = gui::named(new FixedTabWidget(140, parent), "pcChan");
    p.pcChan->setAccessibleName("pcChan");
    p.pcChan->setTabPosition(QTabWidget::South);
    QFont bold = p.pcChan->font();
    bold.setBold(true);
    p.pcChan->tabBar()->setFont(bold);
    p.tsSysem = system::buildSystemPage(p);
    p.tsModul = modulePage(p);
    p.TabSheet13 = console::buildTerminalPage(p);
    p.pcChan->addTab(p.tsSysem, "    Система       ");
    p.pcChan->addTab(p.tsModul, "  Модуль  ");
    p.pcChan->addTab(p.TabSheet13, "Терминал");
    return p;
}

}  // namespace velmora::app
