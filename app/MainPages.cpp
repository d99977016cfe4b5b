#include "app/MainPages.h"

#include <QTabBar>
#include <QVBoxLayout>

#include "common/gui/PageParts.h"

namespace velmora::app {

namespace {

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

// The Module page's least size once built, with Qt's default style and fonts. Its empty
// frame asks for the same, so the window cannot be made smaller before the page is built
// than after; once built, the page's own layout decides.
constexpr QSize kModulePageLeastSize{446, 328};
constexpr QSize kTerminalPageLeastSize{0, 0};

}  // namespace

MainPages buildMainPages(QWidget* parent) {
    MainPages p;
    p.pcChan = gui::named(new FixedTabWidget(140, parent), "pcChan");
    p.pcChan->setAccessibleName("Режим работы");
    p.pcChan->setTabPosition(QTabWidget::South);
    QFont bold = p.pcChan->font();
    bold.setBold(true);
    p.pcChan->tabBar()->setFont(bold);
    p.tsSysem = system::buildSystemPage(p);
    p.tsModul = gui::named(new QWidget, "tsModul");
    p.tsModul->setMinimumSize(kModulePageLeastSize);
    new QVBoxLayout(p.tsModul);
    p.TabSheet13 = gui::named(new QWidget, "TabSheet13");
    p.TabSheet13->setMinimumSize(kTerminalPageLeastSize);
    p.pcChan->addTab(p.tsSysem, "    Система       ");
    p.pcChan->addTab(p.tsModul, "  Модуль  ");
    p.pcChan->addTab(p.TabSheet13, "Терминал");
    return p;
}

void buildModulePage(MainPages& p) {
    auto* v = static_cast<QVBoxLayout*>(p.tsModul->layout());
    QWidget* top = gui::caption("******* Мониторинг *******");
    p.pcMon = gui::named(new QTabWidget, "pcMon");
    p.pcMon->setAccessibleName("Память модуля");
    p.pcMon->addTab(system::buildIdentTab(p), "  Ident  ");
    p.pcMon->addTab(views::buildFlashTab(p), "  Flash  ");
    p.pcMon->addTab(views::buildRamTab(p), "  RAM/SFR  ");
    p.pcMon->addTab(views::buildEepromTab(p), "  EEPROM  ");
    p.pcMon->addTab(views::buildSfrTab(p), "  SFR  ");
    QWidget* bottom = gui::caption(gui::kPageFooter);
    v->addWidget(top);
    v->addWidget(p.pcMon, 1);
    v->addWidget(bottom);
    p.tsModul->setMinimumSize(0, 0);
    // Children added to a page already on the screen are not shown by themselves, and
    // the page must be whole before it is next painted.
    for (QWidget* w : {top, static_cast<QWidget*>(p.pcMon), bottom}) w->show();
    v->activate();
}

void buildTerminalPage(MainPages& p) {
    p.TabSheet13->setMinimumSize(0, 0);
    console::buildTerminalPage(p, p.TabSheet13);
}

}  // namespace velmora::app
