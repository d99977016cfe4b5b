#include "tools/gui/TFEditorTest.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "common/FileReplace.h"
#include "common/RegularFileRead.h"
#include "tools/TestEditorRules.h"
#include "tools/TestList.h"
#include "common/gui/ProgramCaption.h"
#include "common/gui/CaptionWidth.h"

namespace velmora::tools {

namespace {
QLineEdit* field(QWidget* parent, const char* name, const QString& label, int length, QGridLayout* grid,
                 int column) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(label);
    edit->setMaxLength(length);
    auto* caption = new QLabel(label, parent);
    caption->setBuddy(edit);
    grid->addWidget(caption, 0, column);
    grid->addWidget(edit, 1, column);
    return edit;
}
const QString kFilter = "Файлы тестов PIC18    [*.tst] (*.tst)";
}  // namespace

TFEditorTest::TFEditorTest(QWidget* parent) : QDialog(parent) {
    setObjectName("TFEditorTest");
    setWindowTitle("Редактор тестов Velmora_Test");
    auto* layout = new QVBoxLayout(this);
    auto* tools = new QToolBar(this);
    QAction* open = tools->addAction("Открыть");
    open->setObjectName("tbOpen");
    QAction* save = tools->addAction("Сохранить как ...");
    save->setObjectName("tbSave");
    layout->addWidget(tools);
    lbMon_Kom = new QListWidget(this);
    lbMon_Kom->setObjectName("lbMon_Kom");
    auto* linesLabel = new QLabel("Строки теста", this);
    linesLabel->setBuddy(lbMon_Kom);
    lbMon_Kom->setAccessibleName(linesLabel->text());
    layout->addWidget(linesLabel);
    lbMon_Kom->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbMon_Kom->setDragDropMode(QAbstractItemView::InternalMove);  // drags from the list itself only
    lbMon_Kom->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* delOne = new QAction("Удалить", lbMon_Kom);
    delOne->setObjectName("N7");
    connect(delOne, &QAction::triggered, this, [this] { qDeleteAll(lbMon_Kom->selectedItems()); });
    auto* delAll = new QAction("Удалить все", lbMon_Kom);
    delAll->setObjectName("N5");
    connect(delAll, &QAction::triggered, lbMon_Kom, &QListWidget::clear);
    lbMon_Kom->addActions({delOne, delAll});
    layout->addWidget(lbMon_Kom, 1);

    // The data field and its label come and go together with the command.
    pnData = new QWidget(this);
    auto* dataRow = new QHBoxLayout(pnData);
    dataRow->setContentsMargins(0, 0, 0, 0);
    edData_Write = new QLineEdit(pnData);
    edData_Write->setObjectName("edData_Write");
    auto* dataLabel = new QLabel("Данные", pnData);
    dataLabel->setBuddy(edData_Write);
    edData_Write->setAccessibleName(dataLabel->text());
    dataRow->addWidget(dataLabel);
    dataRow->addWidget(edData_Write, 1);
    layout->addWidget(pnData);
    auto* group = new QGroupBox("  Адрес  / команда", this);
    auto* row = new QHBoxLayout(group);
    auto* nodeBox = new QWidget(group);
    auto* nodeGrid = new QGridLayout(nodeBox);
    edAdr_Modbus = field(nodeBox, "edAdr_Modbus", "Modbus", 2, nodeGrid, 0);
    row->addWidget(nodeBox);
    auto* commandBox = new QWidget(group);
    auto* commandGrid = new QGridLayout(commandBox);
    cbKom = new QComboBox(commandBox);
    cbKom->setObjectName("cbKom");
    for (const char* c : kEditorCommands) cbKom->addItem(QString::fromUtf8(c));
    cbKom->setCurrentIndex(-1);
    auto* commandLabel = new QLabel("Команда", commandBox);
    commandLabel->setBuddy(cbKom);
    cbKom->setAccessibleName(commandLabel->text());
    commandGrid->addWidget(commandLabel, 0, 0);
    commandGrid->addWidget(cbKom, 1, 0);
    row->addWidget(commandBox);
    pnI2c = new QWidget(group);
    auto* i2cGrid = new QGridLayout(pnI2c);
    edAdr_i2c = field(pnI2c, "edAdr_i2c", "i2c", 2, i2cGrid, 0);
    edAdrRes_i = field(pnI2c, "edAdrRes_i", "Адр рес", 2, i2cGrid, 1);
    row->addWidget(pnI2c);
    pnRes = new QWidget(group);
    auto* resGrid = new QGridLayout(pnRes);
    edAdrRes_M = field(pnRes, "edAdrRes_M", "Адрес ресурса", 4, resGrid, 0);
    row->addWidget(pnRes);
    auto* countBox = new QWidget(group);
    auto* countGrid = new QGridLayout(countBox);
    edKol = field(countBox, "edKol", "Кол-во", 2, countGrid, 0);
    row->addWidget(countBox);
    btnRec = new QPushButton("Запись", group);
    btnRec->setObjectName("btnRec");
    connect(btnRec, &QPushButton::clicked, this, [this] { btnRecClick(); });
    row->addWidget(btnRec);
    layout->addWidget(group);
    sb1 = new QStatusBar(this);
    sb1->setObjectName("sb1");
    layout->addWidget(sb1);

    for (QLineEdit* e : {edAdr_Modbus, edAdr_i2c, edAdrRes_i, edKol, edAdrRes_M, edData_Write})
        e->installEventFilter(this);
    connect(open, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, "Открыть", QCoreApplication::applicationDirPath(), kFilter);
        QString error;
        if (!path.isEmpty() && !loadFile(path, error)) QMessageBox::critical(this, gui::kProgramCaption, error);
    });
    connect(save, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, "Сохранить как ...", QCoreApplication::applicationDirPath(), kFilter);
        QString error;
        if (!path.isEmpty() && !saveFile(path, error)) QMessageBox::critical(this, gui::kProgramCaption, error);
    });
    auto* timer = new QTimer(this);
    timer->setObjectName("Timer1");
    connect(timer, &QTimer::timeout, this, [this] { Timer1Timer(); });
    timer->start(300);
    Timer1Timer();
    gui::fitCaption(this);
}

void TFEditorTest::Timer1Timer() {
    if (cbKom->view()->isVisible()) return;  // the list is dropped down
    const EditorFields f = editorFieldsFor(cbKom->currentIndex());
    pnData->setVisible(f.data);
    edKol->parentWidget()->setVisible(f.count);
    pnRes->setVisible(f.resourceAddress);
    pnI2c->setVisible(f.i2c);
}

void TFEditorTest::btnRecClick() {
    Timer1Timer();
    EditorInput in;
    in.entry = cbKom->currentIndex();
    in.node = edAdr_Modbus->text().toStdString();
    in.i2cAddress = edAdr_i2c->text().toStdString();
    in.i2cRegister = edAdrRes_i->text().toStdString();
    in.resourceAddress = edAdrRes_M->text().toStdString();
    in.count = edKol->text().toStdString();
    in.data = edData_Write->text().toStdString();
    const EditorLine line = buildEditorLine(in);
    if (line.line.empty()) {
        QMessageBox::critical(this, gui::kProgramCaption, QString::fromStdString(line.error));
        return;
    }
    lbMon_Kom->addItem(QString::fromStdString(line.line));
}

bool TFEditorTest::loadFile(const QString& path, QString& error) {
    const FileRead file = readRegularFile(QFile::encodeName(path).toStdString(), kTestFileLimit);
    if (!file.ok()) {
        error = QString::fromStdString(file.message);
        return false;
    }
    for (const std::string& line : testFileLines(file.text))
        lbMon_Kom->addItem(QString::fromStdString(line));
    return true;
}

bool TFEditorTest::saveFile(const QString& path, QString& error) {
    const QFileInfo info(path);
    QByteArray text;
    for (int i = 0; i < lbMon_Kom->count(); ++i) text += (lbMon_Kom->item(i)->text() + "\r\n").toUtf8();
    std::string why;
    if (!replaceFile(QFile::encodeName(info.dir().filePath(info.completeBaseName() + ".tst")).toStdString(),
                     std::string_view(text.constData(), static_cast<size_t>(text.size())), why)) {
        error = QString::fromStdString(why);
        return false;
    }
    return true;
}

bool TFEditorTest::eventFilter(QObject* watched, QEvent* e) {
    if (watched == edAdr_Modbus && e->type() == QEvent::FocusIn)
        sb1->showMessage("Адрес Modbus : 2 симв hex форат");
    if (e->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, e);
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->text().isEmpty() || k->matches(QKeySequence::Copy) || k->matches(QKeySequence::Paste) ||
        k->matches(QKeySequence::Cut))
        return false;  // moving keys and the clipboard keys pass
    const char32_t ch = k->text().toUcs4().value(0);
    if (ch < U' ') return false;  // Tab, Enter, Esc keep their meaning in the dialog
    const auto kept = filterEditorKey(ch, watched == edData_Write);
    if (!kept) return true;
    if (*kept >= U' ' && *kept != ch) {
        static_cast<QLineEdit*>(watched)->insert(QString(QChar(static_cast<char16_t>(*kept))));
        return true;
    }
    return false;
}

}  // namespace velmora::tools
