// The settings file across a run of the main window: read at the first activation,
// written at closing, and left alone when it cannot be read or must not change.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include "app/IniFile.h"
#include "app/ScanRangeDialog.h"
#include "link/OperationKind.h"
#include "tests/support/PermissionsEnforced.h"
#include "tests/support/TerminalFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::PermissionsEnforced;
using velmora::testing::whenModal;

namespace {

const QByteArray kUserFile = "; kept by hand\n[Form]\nWidth=640\nHeight=480\n[Mine]\nX=1\n";
const QString kReadOnlyNotice = "Файл настроек только для чтения: настройки не сохранятся";
const QString kUnreadableNotice = "Файл настроек не читается: настройки не сохранятся";

class SettingsFile : public velmora::testing::TerminalFixture {
protected:
    void put(const QString& path, const QByteArray& text, mode_t mode = 0644) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        ::chmod(QFile::encodeName(path).constData(), mode);
    }
    QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    mode_t modeOf(const QString& path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    }
    IniFile saved(const QString& path) { return IniFile::parse(contents(path).toStdString()); }
    QString notice() { return window->statusPanels().panelText(2); }
};

}  // namespace

TEST_F(SettingsFile, AFileNobodyMayReadIsNotReplacedByDefaults) {
    put(options.settingsPath, kUserFile, 0);
    {
        PermissionsEnforced enforced;
        if (!enforced.enforced()) GTEST_SKIP() << "root, and cannot give up reading everything";
        TFTerminal& w = start();
        EXPECT_EQ(w.size(), QSize(500, 570));
        EXPECT_EQ(notice(), kUnreadableNotice);
        w.resize(700, 520);
        closeWindow();
    }
    EXPECT_EQ(contents(options.settingsPath), kUserFile);
    EXPECT_EQ(modeOf(options.settingsPath), 0u);
    EXPECT_FALSE(QFileInfo::exists(options.settingsPath + ".tmp"));
}

TEST_F(SettingsFile, AFolderWhereTheFileShouldBeIsNotReadAndNotTouched) {
    // Reads fail here for root too.
    ASSERT_TRUE(QDir().mkdir(options.settingsPath));
    put(options.settingsPath + "/inside", "x");
    TFTerminal& w = start();
    EXPECT_EQ(w.size(), QSize(500, 570));
    EXPECT_EQ(notice(), kUnreadableNotice);
    closeWindow();
    EXPECT_TRUE(QFileInfo(options.settingsPath).isDir());
    EXPECT_EQ(contents(options.settingsPath + "/inside"), "x");
    EXPECT_FALSE(QFileInfo::exists(options.settingsPath + ".tmp"));
}

TEST_F(SettingsFile, AReadOnlyFileIsReadAndLeftAsItIs) {
    put(options.settingsPath, kUserFile, 0444);
    TFTerminal& w = start();
    EXPECT_EQ(w.size(), QSize(640, 480));
    EXPECT_EQ(notice(), kReadOnlyNotice);
    w.resize(700, 520);
    closeWindow();
    EXPECT_EQ(contents(options.settingsPath), kUserFile);
    EXPECT_EQ(modeOf(options.settingsPath), 0444u);
    EXPECT_FALSE(QFileInfo::exists(options.settingsPath + ".tmp"));
}

TEST_F(SettingsFile, AWritableFileSaysNothingAndIsSaved) {
    put(options.settingsPath, kUserFile);
    TFTerminal& w = start();
    EXPECT_EQ(notice(), "");
    w.resize(700, 520);
    closeWindow();
    IniFile back = saved(options.settingsPath);
    EXPECT_EQ(back.integer("Form", "Width"), 700);
    EXPECT_EQ(back.value("Mine", "X"), "1");
}

TEST_F(SettingsFile, ALinkIsSavedThroughToItsTarget) {
    ASSERT_TRUE(QDir().mkdir(inDir("real")));
    put(inDir("real/velmora.ini"), kUserFile);
    ASSERT_TRUE(QFile::link("real/velmora.ini", options.settingsPath));
    TFTerminal& w = start();
    EXPECT_EQ(w.size(), QSize(640, 480));
    w.resize(700, 520);
    closeWindow();
    EXPECT_EQ(QFileInfo(options.settingsPath).symLinkTarget(), inDir("real/velmora.ini"));
    IniFile back = saved(inDir("real/velmora.ini"));
    EXPECT_EQ(back.integer("Form", "Width"), 700);
    EXPECT_EQ(back.value("Mine", "X"), "1");
    EXPECT_FALSE(QFileInfo::exists(options.settingsPath + ".tmp"));
    EXPECT_FALSE(QFileInfo::exists(inDir("real/velmora.ini.tmp")));
}

// The offscreen screen's size differs between Qt versions, so the expected places are
// said in terms of its available area `a` and the window frame's extra size `f`.
TEST_F(SettingsFile, TheWindowIsKeptOnTheScreen) {
    const QRect a = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_GE(a.width(), 700);
    ASSERT_GE(a.height(), 600);
    TFTerminal& probe = start();
    const QSize f = probe.frameGeometry().size() - probe.size();
    const QSize least = probe.minimumSizeHint().expandedTo(QSize(200, 150) - f);
    closeWindow();
    struct Case {
        QByteArray form;
        QPoint framePos;
        QSize size;
    };
    const Case cases[] = {
        {"Width=2000\nHeight=1500\nLeft=-300\nTop=5000\n",
         {a.left(), a.top() + a.height() - 150},
         a.size() - f},
        {"Width=640\nHeight=480\nLeft=3000\nTop=-70\n",
         {a.left() + a.width() - 200, a.top()},
         {640, 480}},
        {"Width=1\nHeight=1\nLeft=20\nTop=30\n", {20, 30}, least},
        {"Width=500\nHeight=570\nLeft=100\nTop=100\n", {100, 100}, {500, 570}},
    };
    for (const Case& c : cases) {
        put(options.settingsPath, "[Form]\n" + c.form);
        TFTerminal& w = start();
        EXPECT_EQ(w.size(), c.size) << c.form.constData();
        EXPECT_EQ(w.pos(), c.framePos) << c.form.constData();
        closeWindow();
        IniFile back = saved(options.settingsPath);
        EXPECT_EQ(back.integer("Form", "Width"), c.size.width()) << c.form.constData();
        EXPECT_EQ(back.integer("Form", "Height"), c.size.height()) << c.form.constData();
        EXPECT_EQ(back.integer("Form", "Left"), c.framePos.x()) << c.form.constData();
        EXPECT_EQ(back.integer("Form", "Top"), c.framePos.y()) << c.form.constData();
    }
}

TEST_F(SettingsFile, AHugeWidthOpensAScreenWideWindow) {
    put(options.settingsPath, "[Form]\nWidth=999999\nHeight=999999\n");
    TFTerminal& w = start();
    const QRect a = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(w.frameGeometry().size(), a.size());
    const int width = w.width();
    closeWindow();
    EXPECT_EQ(saved(options.settingsPath).integer("Form", "Width"), width);
    EXPECT_LE(width, a.width());
}

TEST_F(SettingsFile, WhatAKilledSaveLeftIsGoneAfterTheNext) {
    put(options.settingsPath, kUserFile);
    put(inDir("other.txt"), "not the settings");
    ASSERT_TRUE(QFile::link(inDir("other.txt"), options.settingsPath + ".tmp"));
    start();
    closeWindow();
    EXPECT_FALSE(QFileInfo(options.settingsPath + ".tmp").isSymLink());
    EXPECT_FALSE(QFileInfo::exists(options.settingsPath + ".tmp"));
    EXPECT_EQ(contents(inDir("other.txt")), "not the settings");
    EXPECT_FALSE(QFileInfo(options.settingsPath).isSymLink());
    EXPECT_EQ(saved(options.settingsPath).value("Mine", "X"), "1");
}

// "Диапазон сканирования..." and "Время в протоколе": chosen in the window, kept in the
// file, back at the next start. A range that is no range is refused in the dialog.
TEST_F(SettingsFile, TheScanRangeAndLogTimesAreKept) {
    put(options.settingsPath, "[System]\nAutoSkan=0\n");
    TFTerminal& w = start();
    EXPECT_EQ(w.scanRange(), (system::NodeRange{1, 0xFF}));
    QStringList refusals;
    whenModal([&](QWidget* dialog) {
        auto* d = qobject_cast<ScanRangeDialog*>(dialog);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->firstBox()->text(), "01");
        EXPECT_EQ(d->lastBox()->text(), "FF");
        d->firstBox()->setText("9");
        d->lastBox()->setText("3");
        whenModal([&](QWidget* box) {
            refusals << static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        d->apply();
        EXPECT_TRUE(d->isVisible()) << "a refused range closed the dialog";
        d->firstBox()->setText("2");
        d->apply();
    });
    w.menus().mmScanRange->trigger();
    EXPECT_EQ(refusals, QStringList{"Адреса узлов: от 01 до FF, первый не больше последнего"});
    EXPECT_EQ(w.scanRange(), (system::NodeRange{2, 3}));
    w.menus().mmProtTime->setChecked(true);
    w.menus().mmProt->setChecked(true);
    w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code;
    w.pages().reProt->flush();
    EXPECT_TRUE(QRegularExpression(R"(^\d\d:\d\d:\d\d\.\d\d\d Send>01 70 00 50 04 )")
                    .match(w.pages().reProt->lineText(0))
                    .hasMatch())
        << w.pages().reProt->lineText(0).toStdString();
    closeWindow();
    const IniFile back = saved(options.settingsPath);
    EXPECT_EQ(back.integer("System", "ScanFirst"), 2);
    EXPECT_EQ(back.integer("System", "ScanLast"), 3);
    EXPECT_EQ(back.integer("System", "ProtTime"), 1);
    TFTerminal& again = start();
    EXPECT_EQ(again.scanRange(), (system::NodeRange{2, 3}));
    EXPECT_TRUE(again.menus().mmProtTime->isChecked());
}
