#include "app/MainPages.h"

#include <QTabBar>
#include <QVBoxLayout>

#include <map>

#include "common/gui/PageParts.h"

namespace velmora::app {

namespace {

// The page tabs are all one width. Set through the tab bar rather than a style sheet: a
// style sheet on the page control would make every widget of every page go through the
// style sheet machinery, which is most of the window's start-up time and slows painting.
// The height is the style's for the tab's text; it is kept, because the tab bar asks for
// it many times over during every layout and the style measures the text each time.
class FixedTabBar : public QTabBar {
public:
    explicit FixedTabBar(int width) : width_(width) {}

protected:
    QSize tabSizeHint(int index) const override {
        auto known = heights_.find(index);
        if (known == heights_.end())
            known = heights_.emplace(index, QTabBar::tabSizeHint(index).height()).first;
        return {width_, known->second};
    }
    void tabInserted(int index) override {
        heights_.clear();
        QTabBar::tabInserted(index);
    }
    void tabRemoved(int index) override {
        heights_.clear();
        QTabBar::tabRemoved(index);
    }
    void changeEvent(QEvent* e) override {
        // Font and style changes alter the height; so may anything else about the look.
        heights_.clear();
        QTabBar::changeEvent(e);
    }

private:
    int width_;
    mutable std::map<int, int> heights_;
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
    p.tsModul = gui::named(new QWidget, "tsModul");
    new QVBoxLayout(p.tsModul);
    p.TabSheet13 = console::buildTerminalPage(p);
    p.pcChan->addTab(p.tsSysem, "    Система       ");
    p.pcChan->addTab(p.tsModul, "  Модуль  ");
    p.pcChan->addTab(p.TabSheet13, "Терминал");
    return p;
}

void buildModulePage(MainPages& p) {
    if (p.pcMon) return;
    auto* v = static_cast<QVBoxLayout*>(p.tsModul->layout());
    QWidget* top = gui::caption("******* Мониторинг *******");
    p.pcMon = gui::named(new QTabWidget, "pcMon");
    p.pcMon->setAccessibleName("pcMon");
    p.pcMon->addTab(system::buildIdentTab(p), "  Ident  ");
    p.pcMon->addTab(views::buildFlashTab(p), "  Flash  ");
    p.pcMon->addTab(views::buildRamTab(p), "  RAM/SFR  ");
    p.pcMon->addTab(views::buildEepromTab(p), "  EEPROM  ");
    p.pcMon->addTab(views::buildSfrTab(p), "  SFR  ");
    QWidget* bottom = gui::caption(gui::kPageFooter);
    v->addWidget(top);
    v->addWidget(p.pcMon, 1);
    v->addWidget(bottom);
    // Children added to a page already on the screen are not shown by themselves, and
    // the page must be whole before it is next painted.
    for (QWidget* w : {top, static_cast<QWidget*>(p.pcMon), bottom}) w->show();
    v->activate();
}

}  // namespace velmora::app
