#include "tools/gui/TFTestKom.h"

#include "common/gui/ToolWindowPlace.h"
#include "common/gui/WritableFolder.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "common/RegularFileAppend.h"
#include "common/RegularFileRead.h"
#include "link/qt/LinkSession.h"
#include "tools/TestFileCheck.h"
#include "tools/gui/TFEditorTest.h"
#include "common/gui/ProgramCaption.h"

namespace velmora::tools {

namespace {
constexpr int kMonitorLines = 15;
}

TFTestKom::TFTestKom(link::LinkSession& link, std::function<void()> closed, QWidget* parent)
    : QMainWindow(parent), link_(link), closed_(std::move(closed)),
      // Beside the program as always; an installed copy writes it in the user's data folder.
      logDir_(gui::programOrUserFolder(QCoreApplication::applicationDirPath(),
                                       QStandardPaths::GenericDataLocation)) {
    setObjectName("TFTestKom");
    setWindowTitle("Тестовый генератор");
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* splitter = new QSplitter(Qt::Vertical, central);
    auto* filesPanel = new QWidget(splitter);
    auto* filesLayout = new QVBoxLayout(filesPanel);
    filesLayout->setContentsMargins(0, 0, 0, 0);
    filesLayout->addWidget(new QLabel("Список открытых файлов", filesPanel));
    clbFileName = new QListWidget(filesPanel);
    clbFileName->setObjectName("clbFileName");
    clbFileName->setAccessibleName("Список открытых файлов");
    clbFileName->installEventFilter(this);
    connect(clbFileName, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        list_.setChecked(static_cast<size_t>(clbFileName->row(item)), item->checkState() == Qt::Checked);
    });
    filesLayout->addWidget(clbFileName);
    auto* monitor = new QGroupBox("Мониторинг", splitter);
    auto* monLayout = new QVBoxLayout(monitor);
    lbMonTest = new QListWidget(monitor);
    lbMonTest->setObjectName("lbMonTest");
    lbMonTest->setAccessibleName("Мониторинг теста");
    lbMonTest->setFont(QFont("Courier New"));
    lbMonTest->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* clear = new QAction("Очистить", lbMonTest);
    clear->setObjectName("pmTest_Clear");
    connect(clear, &QAction::triggered, lbMonTest, &QListWidget::clear);
    lbMonTest->addAction(clear);
    monLayout->addWidget(lbMonTest);
    layout->addWidget(splitter, 1);

    auto* bottom = new QHBoxLayout;
    auto* generator = new QGroupBox("      Генератор      ", central);
    auto* genLayout = new QHBoxLayout(generator);
    auto* periodLabel = new QLabel("Период [ms]", generator);
    seGENtest = new QSpinBox(generator);
    seGENtest->setObjectName("seGENtest");
    seGENtest->setAccessibleName("Период [ms]");
    periodLabel->setBuddy(seGENtest);
    seGENtest->setRange(250, 3000);
    seGENtest->setSingleStep(250);
    seGENtest->setValue(250);
    rbGENactive = new QCheckBox("Активность <F9>", generator);
    rbGENactive->setObjectName("rbGENactive");
    connect(rbGENactive, &QCheckBox::clicked, this, [this] { rbGENactiveClick(); });
    genLayout->addWidget(periodLabel);
    genLayout->addWidget(seGENtest);
    genLayout->addWidget(rbGENactive);
    bottom->addWidget(generator);
    auto* cycle = new QGroupBox("    Режим цикла      ", central);
    cycle->setObjectName("rgReg_Cikl");
    auto* cycleLayout = new QVBoxLayout(cycle);
    rgReg_Cikl = new QButtonGroup(cycle);
    const char* items[] = {"Циклический", "Однократный <F9>", "Шаговый        <F8>"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(items[i], cycle);
        rgReg_Cikl->addButton(b, i);
        cycleLayout->addWidget(b);
    }
    rgReg_Cikl->button(0)->setChecked(true);
    connect(rgReg_Cikl, &QButtonGroup::idClicked, this, [this] { rgReg_CiklClick(); });
    bottom->addWidget(cycle);
    layout->addLayout(bottom);
    setCentralWidget(central);

    sbPanel0 = new QLabel(this);
    sbPanel0->setFixedWidth(100);
    sbPanel0->setAlignment(Qt::AlignCenter);
    sbPanel1 = new QLabel(this);
    statusBar()->setObjectName("SB1");
    statusBar()->addWidget(sbPanel0);
    statusBar()->addWidget(sbPanel1, 1);

    timGENtest = new QTimer(this);
    timGENtest->setObjectName("timGENtest");
    timGENtest->setInterval(250);
    timGENtest->setSingleShot(true);
    connect(timGENtest, &QTimer::timeout, this, [this] {
        // A timer tick while another operation has the link is skipped, not queued.
        if (!link_.engine().isIdle()) {
            timGENtest->start();
            return;
        }
        timGENtestTimer();
    });

    QMenu* file = menuBar()->addMenu("Файл");
    QAction* open = file->addAction("Открыть");
    open->setObjectName("TG_OpenFile");
    connect(open, &QAction::triggered, this, [this] { TG_OpenFileClick(); });
    QAction* exit = file->addAction("Выход");
    exit->setObjectName("TG_Exit");
    connect(exit, &QAction::triggered, this, &QWidget::close);
    QMenu* mon = menuBar()->addMenu("Мониторинг");
    mmMon_on = mon->addAction("Включен");
    mmMon_off = mon->addAction("Выключен");
    mmMon_on->setObjectName("mmMon_on");
    mmMon_off->setObjectName("mmMon_off");
    auto* monGroup = new QActionGroup(this);
    for (QAction* a : {mmMon_on, mmMon_off}) {
        a->setCheckable(true);
        monGroup->addAction(a);
    }
    mmMon_off->setChecked(true);
    QAction* editor = menuBar()->addAction("Редактор тестов");
    editor->setObjectName("N4");
    connect(editor, &QAction::triggered, this, [this] {
        if (!editor_) {
            editor_ = new TFEditorTest(this);
            gui::placeToolWindow(editor_, this);
        }
        editor_->exec();
    });

    // The window sees its keys before its controls.
    qApp->installEventFilter(this);
    // The main window opens it without a parent (a disabled parent would disable it
    // too), from its menu: the active window is the one to stay clear of.
    gui::placeToolWindow(this, parent ? parent : QApplication::activeWindow());
}

TFTestKom::~TFTestKom() { qApp->removeEventFilter(this); }

CycleMode TFTestKom::mode() const { return static_cast<CycleMode>(rgReg_Cikl->checkedId()); }

QString TFTestKom::stamp() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    return locale.toString(now.date(), QLocale::ShortFormat) + " " +
           locale.toString(now.time(), QLocale::LongFormat);
}

void TFTestKom::TG_OpenFileClick() {
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, "Открыть", QCoreApplication::applicationDirPath(), "Файлы тестов PIC18    [*.tst] (*.tst)");
    openFiles(paths);
}

void TFTestKom::openFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        const FileRead file = readRegularFile(QFile::encodeName(path).toStdString(), kTestFileLimit);
        if (!file.ok()) {
            QMessageBox::critical(this, gui::kProgramCaption, QString::fromStdString(file.message));
            continue;
        }
        const std::vector<std::string> lines = testFileLines(file.text);
        // Refused whole at opening, so a run never stops at a bad line after sending
        // the lines above it.
        const TestFileVerdict verdict = checkTestFile(path.toStdString(), lines);
        if (!verdict.ok) {
            QMessageBox::critical(this, gui::kProgramCaption, QString::fromStdString(verdict.message));
            continue;
        }
        if (!list_.addFile(path.toStdString(), lines))
            QMessageBox::critical(this, gui::kProgramCaption, "Too many lines: \"" + path + "\".");
    }
    refillFileList();
}

void TFTestKom::refillFileList() {
    const QSignalBlocker quiet(clbFileName);
    clbFileName->clear();
    for (const TestFile& f : list_.files()) {
        auto* item = new QListWidgetItem(QString::fromStdString(f.name), clbFileName);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(f.checked ? Qt::Checked : Qt::Unchecked);
    }
}

void TFTestKom::clbFileNameKeyPress() {
    const int row = clbFileName->currentRow();
    if (row < 0) return;
    list_.removeFile(static_cast<size_t>(row));
    refillFileList();
}

void TFTestKom::rbGENactiveClick() {
    const bool on = rbGENactive->isChecked();
    seGENtest->setReadOnly(on);
    list_.setPosition(0);
    if (on) timGENtest->start(seGENtest->value());
    else timGENtest->stop();
}

void TFTestKom::rgReg_CiklClick() {
    if (mode() != CycleMode::Step) return;
    rbGENactive->setChecked(false);
    rbGENactiveClick();
    list_.setPosition(0);
}

void TFTestKom::timGENtestTimer() {
    if (!rbGENactive->isChecked() && mode() != CycleMode::Step) return;
    timGENtest->stop();
    const TickResult tick = runTestTick(link_.engine(), list_);
    showTick(tick);
    switch (timerAfterTick(mode(), tick)) {
    case TimerAfterTick::Keep:
        if (rbGENactive->isChecked()) timGENtest->start(seGENtest->value());
        break;
    case TimerAfterTick::Rearm:
        if (rbGENactive->isChecked()) timGENtest->start(seGENtest->value());
        break;
    case TimerAfterTick::Stop: break;
    case TimerAfterTick::StopAndUncheck:
        rbGENactive->setChecked(false);
        seGENtest->setReadOnly(false);
        list_.setPosition(0);
        break;
    }
    if (tick.outcome == TickOutcome::Refused)
        QMessageBox::critical(this, gui::kProgramCaption, QString::fromStdString(tick.message));
}

void TFTestKom::showTick(const TickResult& tick) {
    if (tick.outcome != TickOutcome::NoReply && tick.outcome != TickOutcome::Answered) return;
    const QString text = QString::fromStdString(tick.displayText);
    const bool monitoring = mmMon_on->isChecked();
    if (monitoring) {
        lbMonTest->addItem("< " + text);
        while (lbMonTest->count() > kMonitorLines) delete lbMonTest->takeItem(0);
        sbPanel0->clear();
        sbPanel1->clear();
    } else {
        sbPanel0->setText("CRC16=" + QString("%1").arg(tick.crc, 4, 16, QChar('0')).toUpper());
        sbPanel1->setText(text);
    }
    const QString when = stamp();
    TestLog << QString::fromStdString(requestLogLine(when.toStdString(), tick.displayText));
    if (tick.outcome != TickOutcome::Answered) return;
    if (monitoring) lbMonTest->addItem("> " + QString::fromStdString(tick.replyText));
    TestLog << QString::fromStdString(replyLogLine(when.toStdString(), tick.replyText));
}

bool TFTestKom::writeLog(QString& error) {
    if (TestLog.isEmpty()) return true;
    RegularFileAppend f(QFile::encodeName(logDir_ + "/Velmora_Test.log").toStdString());
    QByteArray text;
    for (const QString& line : TestLog) text += (line + "\r\n").toUtf8();
    if (!f.ok() || !f.write(std::string_view(text.constData(), static_cast<size_t>(text.size())))) {
        error = QString::fromStdString(f.error());
        return false;
    }
    return true;
}

void TFTestKom::closeEvent(QCloseEvent* e) {
    timGENtest->stop();
    QString error;
    // A log that cannot be written is reported, and the window closes all the same.
    if (!writeLog(error))
        QMessageBox::critical(this, gui::kProgramCaption, "I/O error: Velmora_Test.log: " + error);
    qApp->removeEventFilter(this);
    e->accept();
    if (closed_) QTimer::singleShot(0, closed_);
}

bool TFTestKom::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && isActiveWindow()) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_F9) {
            rbGENactive->setChecked(!rbGENactive->isChecked());
            rbGENactiveClick();
            return true;
        }
        if (k->key() == Qt::Key_F8 && mode() == CycleMode::Step) {
            // A user's step waits for the link rather than being lost.
            link_.whenFree([this] { timGENtestTimer(); });
            return true;
        }
        if (watched == clbFileName && k->text() == ".") {
            clbFileNameKeyPress();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

}  // namespace velmora::tools
