// The two variable browsers in the main window offscreen, against the simulated network
// on a pseudo-terminal: opening, the editor's refusals, passes and message 1124; the
// watch list's fields and the columns under its header.

#include <QDir>
#include <QHeaderView>
#include <QMessageBox>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QValueAxis>

#include "tests/support/WindowFixture.h"
#include "app/Subsystems.h"
#include "tools/gui/WatchChart.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::MainWindow;
using velmora::testing::whenModal;

namespace {

void fill(tools::TFEditBrow* e, const char* cid, const char* slave, const char* count,
          const char* address) {
    e->edCID->setText(cid);
    e->edSlave->setText(slave);
    e->edKol->setText(count);
    e->edAdr->setText(address);
}

// Controls that show no text of their own carry a name for screen readers.
void expectNamedControls(QWidget* top) {
    for (QWidget* c : top->findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractSpinBox*>(c->parentWidget())) continue;  // the box's own edit
        if (qobject_cast<QLineEdit*>(c) || qobject_cast<QAbstractSpinBox*>(c) ||
            qobject_cast<QAbstractItemView*>(c) || qobject_cast<QStatusBar*>(c))
            EXPECT_FALSE(c->accessibleName().isEmpty()) << c->objectName().toStdString();
        // Words, not the control's own name, which a screen reader would spell out.
        if (!c->objectName().isEmpty())
            EXPECT_NE(c->accessibleName(), c->objectName()) << c->objectName().toStdString();
    }
}

// Where each run of ink begins, left to right, in rows `rows` of `image`: runs closer
// than a few pixels are one (the glyphs of one number).
std::vector<int> inkStarts(const QImage& image, int from, int to, int top, int bottom,
                           const std::function<bool(QRgb)>& ink) {
    std::vector<int> starts;
    int lastInk = -100;
    for (int x = from; x < to; ++x) {
        bool any = false;
        for (int y = top; y < bottom && !any; ++y) any = ink(image.pixel(x, y));
        if (!any) continue;
        if (x - lastInk > 4) starts.push_back(x);
        lastInk = x;
    }
    return starts;
}

// The x at which each value of the list's first line is drawn, in the dialog's `image`.
std::vector<int> valuesDrawn(tools::TFBrowser1* d, const QImage& image) {
    QWidget* v = d->lbWath->viewport();
    const QRect row = d->lbWath->visualItemRect(d->lbWath->item(0)).translated(v->mapTo(d, QPoint()));
    return inkStarts(image, row.left(), row.right(), row.top(), row.bottom(),
                     [](QRgb p) { return qRed(p) > 128 && qBlue(p) < 128; });  // yellow on blue
}

// The x at which the title of header section `title` is drawn, in the dialog's `image`.
int titleDrawn(tools::TFBrowser1* d, const QImage& image, const QString& title) {
    QHeaderView* h = d->lbHeader;
    int section = 0;
    while (section < h->count() && h->model()->headerData(section, Qt::Horizontal).toString() != title) ++section;
    const QPoint at = h->mapTo(d, QPoint(h->sectionViewportPosition(section), 0));
    const std::vector<int> xs = inkStarts(image, at.x() + 1, at.x() + h->sectionSize(section) - 3,
                                          at.y() + h->height() / 3, at.y() + h->height() * 2 / 3,
                                          [](QRgb p) { return qGray(p) < 110; });
    return xs.empty() ? -1 : xs.front();
}

}  // namespace

TEST_F(MainWindow, VariableBrowserReadsBesideTheWindowAndGoesOnMessage1124) {
    std::unique_ptr<tools::BrowserWindows> browsers;
    TFTerminal& w = start([&](TFTerminal& t) { browsers = app::makeBrowserWindows(t); });
    ASSERT_TRUE(w.menus().Browser1->isEnabled());
    w.menus().Browser1->trigger();
    tools::TFBrowser* b = browsers->browser();
    ASSERT_TRUE(b);
    EXPECT_FALSE(w.menus().Browser1->isEnabled());
    EXPECT_TRUE(b->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(b->isModal());
    auto* editor = b->parentWidget()->findChild<tools::TFEditBrow*>();
    ASSERT_TRUE(editor);
    expectNamedControls(b);
    expectNamedControls(editor);

    // Text that is not hexadecimal is refused with a message; the editor stays open.
    bool refusedAndStillOpen = false;
    whenModal([&](QWidget* m) {
        auto* e = qobject_cast<tools::TFEditBrow*>(m);
        ASSERT_TRUE(e);
        fill(e, "0G", "", "", "050");
        whenModal([&, e](QWidget* box) {
            auto* mb = qobject_cast<QMessageBox*>(box);
            EXPECT_TRUE(mb && mb->text() == "Адрес на Modbus - шестнадцатеричное число 01..FF");
            box->close();
            QTimer::singleShot(0, [&, e] {
                refusedAndStillOpen = e->isVisible();
                fill(e, "01", "", "4", "050");
                e->btnRec->click();
            });
        });
        e->btnRec->click();
    });
    b->addClick();
    EXPECT_TRUE(refusedAndStillOpen);
    ASSERT_EQ(b->list().lines(), (std::vector<std::string>{"Mod>01 050/04="}));

    b->spPeriod->setValue(500);
    b->bbGEN->click();
    EXPECT_EQ(b->bbGEN->text(), "Стоп");
    // The built-in node 01 holds 00 00 00 01 at RAM 050.
    EXPECT_TRUE(QTest::qWaitFor([&] { return b->reBrow->topLevelItemCount() == 2; }, 5000));
    EXPECT_FALSE(b->reBrow->topLevelItem(1)->flags() & Qt::ItemIsSelectable);
    // Each field under its own title: the entry's on its line, the values on the next.
    const std::tuple<const char*, int, const char*> under[] = {
        {"Адр Modbus", 0, "01"}, {"Адр i2c", 0, ""},  {"Адр RAM", 0, "050"},
        {"Кол-во", 0, "04"},     {"Значение", 0, ""}, {"Значение", 1, "00 00 00 01"}};
    for (auto [title, row, text] : under) {
        int column = 0;
        while (column < b->reBrow->columnCount() && b->reBrow->headerItem()->text(column) != title) ++column;
        ASSERT_LT(column, b->reBrow->columnCount()) << title;
        EXPECT_EQ(b->reBrow->topLevelItem(row)->text(column), text) << title;
    }

    b->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !browsers->browser(); }, 2000));
    EXPECT_TRUE(w.menus().Browser1->isEnabled());
    browsers.reset();
}

TEST_F(MainWindow, VariableBrowserSkipsTicksWhileTheLinkIsHeld) {
    std::unique_ptr<tools::BrowserWindows> browsers;
    TFTerminal& w = start([&](TFTerminal& t) { browsers = app::makeBrowserWindows(t); });
    w.menus().Browser1->trigger();
    tools::TFBrowser* b = browsers->browser();
    ASSERT_TRUE(b);
    whenModal([&](QWidget* m) {
        auto* e = qobject_cast<tools::TFEditBrow*>(m);
        ASSERT_TRUE(e);
        fill(e, "01", "", "4", "050");
        e->btnRec->click();
    });
    b->addClick();
    b->bbGEN->click();
    {
        auto hold = w.engine().hold();
        b->timUpDataTimer();
        EXPECT_EQ(b->reBrow->topLevelItemCount(), 1);  // nothing read
        EXPECT_TRUE(b->timUpData.isActive());  // the next tick comes
    }
    b->close();
    browsers.reset();
}

TEST_F(MainWindow, WatchListWatchesAndKeepsItsEntriesForTheRun) {
    // The address boxes step through even node addresses: give the line a node 02.
    network.addNode(0x02).module().ram[0x1A3] = 0x5C;
    std::unique_ptr<tools::BrowserWindows> browsers;
    TFTerminal& w = start([&](TFTerminal& t) { browsers = app::makeBrowserWindows(t); });
    QString watched;
    bool startedIdle = false;
    whenModal([&](QWidget* m) {
        auto* d = qobject_cast<tools::TFBrowser1*>(m);
        ASSERT_TRUE(d);
        startedIdle = !d->watching() && !d->timUpData.isActive() && d->lbWath->count() == 0;
        d->rbEdit->click();
        d->UpD_Modbus->setValue(2);
        d->UpD_cntRAM->setValue(2);
        EXPECT_EQ(d->edCnt_RAM->text(), "2");
        QTest::keyClicks(d->edAdr_RAM, "1ga3");  // g refused, a upper-cased
        EXPECT_EQ(d->edAdr_RAM->text(), "1A3");
        // One field a value: an up-down's value stands in its own box, not in a second one.
        QStringList fields;
        for (QWidget* f : d->pnEdit->findChildren<QWidget*>()) {
            auto* e = qobject_cast<QLineEdit*>(f);
            if (!f->isVisible() || qobject_cast<QAbstractSpinBox*>(f->parentWidget())) continue;
            if (auto* s = qobject_cast<QAbstractSpinBox*>(f)) fields << s->text();
            if (e) fields << e->text();
        }
        // The last is the variable's name, empty with no symbol file chosen.
        EXPECT_EQ(fields, (QStringList{"02", "00", "2", "1A3", ""}));
        QTest::keyClick(d->UpD_Modbus, Qt::Key_Up);
        QTest::keyClicks(d->UpD_Modbus, "7");  // the box is read-only
        EXPECT_EQ(d->edAdr_Modbus->text(), "04");
        QTest::keyClick(d->UpD_Modbus, Qt::Key_Down);
        d->btnAdd->click();
        d->rbWatch->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return d->lbWath->count() == 1 &&
                                                 d->lbWath->item(0)->text().endsWith("  5C  00"); },
                                    5000));
        watched = d->lbWath->item(0)->text();
        // "     02                    1A3       2      5C  00": each value under its title.
        const QImage drawn = d->grab().toImage();
        const std::vector<int> values = valuesDrawn(d, drawn);
        const char* titles[] = {"Адр Modbus", "Адр RAM", "Кол-во", "00", "01"};
        EXPECT_EQ(values.size(), std::size(titles));
        for (size_t i = 0; i < std::min(values.size(), std::size(titles)); ++i)
            EXPECT_NEAR(titleDrawn(d, drawn, titles[i]), values[i], 3) << titles[i];
        d->btnClose->click();
    });
    w.menus().mmBrowser->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !watched.isEmpty(); }, 8000));
    EXPECT_TRUE(startedIdle);
    EXPECT_EQ(watched, "     02                    1A3       2      5C  00");
    EXPECT_EQ(browsers->watchList().size(), 1u);
    EXPECT_TRUE(w.menus().Browser1->isEnabled());  // given back when the watch list closed

    // Opened again: not watching, the list empty, the entry still there to edit.
    QString shown;
    whenModal([&](QWidget* m) {
        auto* d = qobject_cast<tools::TFBrowser1*>(m);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->lbWath->count(), 0);
        expectNamedControls(d);
        d->rbEdit->click();
        shown = d->lbWath->item(0)->text();
        d->btnClose->click();
    });
    w.menus().mmBrowser->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 5000));
    EXPECT_EQ(shown, "     02                    1A3       2");
    browsers.reset();
}

// "График" shows a line an entry, in the entry's own colour, with its current value in
// the legend and in what a screen reader hears; "Пауза" holds the time axis; the CSV
// file has the entries' values a pass a row. RAM 1A3..1A4 of node 02 holds 5C 00 (92,
// low byte first), RAM 050 holds 07, and there is no node 04.
TEST_F(MainWindow, WatchChartDrawsEachEntryAndSavesTheCsvFile) {
    sim::SimModule& ram = network.addNode(0x02).module();
    ram.ram[0x1A3] = 0x5C;
    ram.ram[0x050] = 0x07;
    std::unique_ptr<tools::BrowserWindows> browsers;
    TFTerminal& w = start([&](TFTerminal& t) { browsers = app::makeBrowserWindows(t); });
    for (const char* a : {"1A3", "050"}) browsers->watchList().add(0x02, 0, a, a[0] == '1' ? 2 : 1);
    browsers->watchList().add(0x04, 0, "000", 1);
    const QString csvPath = QDir::temp().filePath("velmora-watch-window.csv");
    QStringList legend, legendAfterDelete, csv;
    QString heard;
    bool hiddenAtFirst = false, held = false;
    std::vector<QColor> colours, coloursAfterDelete;
    whenModal([&](QWidget* m) {
        auto* d = qobject_cast<tools::TFBrowser1*>(m);
        ASSERT_TRUE(d);
        hiddenAtFirst = !d->chart->isVisible() && !d->cbChart->isChecked();
        d->rbEdit->click();
        d->rbWatch->click();
        d->cbChart->click();
        QChart* chart = d->chart->chartView->chart();
        auto shownLegend = [&](std::vector<QColor>* inks) {
            QStringList texts;
            for (QLegendMarker* marker : chart->legend()->markers()) {
                if (!marker->isVisible()) continue;
                texts << marker->label();
                if (inks) inks->push_back(marker->series()->property("color").value<QColor>());
            }
            return texts;
        };
        auto passes = [&](size_t n) {
            return QTest::qWaitFor([&] {
                const tools::SampleRing* r = d->history().samples(browsers->watchList().idOf(0));
                return r && r->size() >= n;
            }, 8000);
        };
        ASSERT_TRUE(passes(2));
        legend = shownLegend(&colours);
        heard = d->chart->chartView->accessibleDescription();

        auto* time = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).front());
        d->chart->cbPause->click();
        const double end = time->max();
        ASSERT_TRUE(passes(4));
        held = time->max() == end;

        d->chooseCsvFile = [&] { return csvPath; };
        d->btnCsv->click();
        d->rbEdit->click();
        d->lbWath->setCurrentRow(0);
        d->btnDelete->click();
        legendAfterDelete = shownLegend(&coloursAfterDelete);
        d->btnClose->click();
    });
    w.menus().mmBrowser->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !legendAfterDelete.isEmpty(); }, 20000));
    EXPECT_TRUE(hiddenAtFirst);
    EXPECT_EQ(legend, (QStringList{"02 1A3 2 = 92", "02 050 1 = 7", "04 000 1 = нет ответа"}));
    EXPECT_EQ(heard, "02 1A3 2 = 92; 02 050 1 = 7; 04 000 1 = нет ответа");
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_NE(colours[0], colours[1]);
    EXPECT_NE(colours[1], colours[2]);
    EXPECT_TRUE(held) << "the paused chart's time axis moved";
    EXPECT_EQ(legendAfterDelete, (QStringList{"02 050 1 = 7", "04 000 1 = нет ответа"}));
    EXPECT_EQ(coloursAfterDelete, (std::vector<QColor>{colours[1], colours[2]})) << "the others keep their colours";

    QFile file(csvPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    csv = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    file.remove();
    ASSERT_GE(csv.size(), 5);
    EXPECT_EQ(csv[0], "time_ms,02 1A3 2,02 050 1,04 000 1");
    EXPECT_TRUE(csv[1].startsWith("0,")) << csv[1].toStdString();
    for (qsizetype i = 1; i < csv.size(); ++i) EXPECT_TRUE(csv[i].endsWith(",92,7,")) << csv[i].toStdString();
    browsers.reset();
}
