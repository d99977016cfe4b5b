#include "app/TFselectComm.h"
#include "common/gui/ProgramCaption.h"
#include "common/gui/CaptionWidth.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QAbstractItemView>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace velmora::app {

std::optional<link::PortChoice> portChoiceFromText(const QString& raw) {
    QString text = raw.trimmed();
    if (text.isEmpty()) return std::nullopt;
    if (text.startsWith("COM", Qt::CaseInsensitive)) {
        bool ok = false;
        int n = text.mid(3).toInt(&ok);
        if (ok && n > 0) return link::PortChoice{n, QString()};
    }
    return link::parsePortArgument(text);
}

TFselectComm::TFselectComm(link::TnrComm& comm, std::function<void()> clearPortLost,
                           QWidget* parent, PortLister lister)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      comm_(comm),
      clearPortLost_(std::move(clearPortLost)),
      lister_(std::move(lister)) {
    if (!lister_) lister_ = [] { return link::presentPortFacts(); };
    setObjectName("TFselectComm");
    setWindowTitle("Выбор номера Comm порта");
    setModal(true);
    auto* v = new QVBoxLayout(this);
    // The dialog keeps to its contents: it grows with a long advice and shrinks back.
    v->setSizeConstraint(QLayout::SetFixedSize);
    DB1 = new QComboBox(this);
    DB1->setObjectName("DB1");
    DB1->setAccessibleName("Comm порт");
    DB1->setEditable(true);  // a device path may be typed by hand
    DB1->setInsertPolicy(QComboBox::NoInsert);
    DB1->setMinimumWidth(220);
    DB1->setEditText("COM1");
    v->addWidget(DB1);
    lbPortInfo = new QLabel(this);
    lbPortInfo->setObjectName("lbPortInfo");
    lbPortInfo->setAccessibleName("Сведения о порте");
    lbPortInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    v->addWidget(lbPortInfo);
    lbOpenProblem = new QLabel(this);
    lbOpenProblem->setObjectName("lbOpenProblem");
    lbOpenProblem->setAccessibleName("Ошибка открытия порта");
    lbOpenProblem->setWordWrap(true);
    lbOpenProblem->setFixedWidth(360);
    lbOpenProblem->setStyleSheet("color: #b00000;");
    lbOpenProblem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbOpenProblem->hide();
    v->addWidget(lbOpenProblem);
    auto* h = new QHBoxLayout;
    Button2 = new QPushButton("Отмена", this);
    Button2->setObjectName("Button2");
    Button1 = new QPushButton("Закрыть", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    h->addWidget(Button2);
    h->addWidget(Button1);
    v->addLayout(h);
    connect(DB1, qOverload<int>(&QComboBox::activated), this, &TFselectComm::choose);
    connect(DB1, qOverload<int>(&QComboBox::currentIndexChanged), this, &TFselectComm::showFacts);
    connect(DB1, qOverload<int>(&QComboBox::highlighted), this, &TFselectComm::showFacts);
    connect(Button1, &QPushButton::clicked, this, &TFselectComm::closeClicked);
    connect(Button2, &QPushButton::clicked, this, &TFselectComm::cancelClicked);
    gui::fitCaption(this);
}

void TFselectComm::refreshList() {
    facts_ = lister_();
    // The port in use is listed even when the system does not list it (a pseudo-terminal).
    const QString inUse = comm_.devicePath();
    int current = -1;
    for (int i = 0; i < facts_.size(); ++i)
        if (facts_[i].path == inUse) current = i;
    if (current < 0) {
        link::PortFacts own;
        own.path = inUse;
        facts_ << own;
        current = static_cast<int>(facts_.size()) - 1;
    }
    const QSignalBlocker quiet(DB1);
    DB1->clear();
    for (int i = 0; i < facts_.size(); ++i) {
        const QString details = link::portDetails(facts_[i]);
        DB1->addItem(link::portListEntry(facts_[i]));
        DB1->setItemData(i, details, Qt::ToolTipRole);
        DB1->setItemData(i, details, Qt::AccessibleDescriptionRole);
    }
    DB1->setCurrentIndex(current);
    // The list may be wider than the field: the popup shows the entries whole.
    DB1->view()->setMinimumWidth(DB1->view()->sizeHintForColumn(0) + 24);
    showFacts(current);
    showOpenProblem();
}

void TFselectComm::showFacts(int index) {
    QString text = index >= 0 && index < facts_.size() ? link::portDetails(facts_[index]) : QString();
    // Only the open port's driver has been asked.
    if (!text.isEmpty() && comm_.isOpen() && facts_[index].path == comm_.devicePath())
        text += comm_.lowLatency() ? "\nРежим низкой задержки: включён"
                                   : "\nРежим низкой задержки: недоступен";
    lbPortInfo->setText(text);
    lbPortInfo->setAccessibleDescription(text);
}

void TFselectComm::showOpenProblem() {
    const QString advice = comm_.isOpen() ? QString() : comm_.openAdvice();
    lbOpenProblem->setText(advice);
    lbOpenProblem->setAccessibleDescription(advice);
    lbOpenProblem->setVisible(!advice.isEmpty());
}

void TFselectComm::showEvent(QShowEvent* event) {
    leaving_ = false;
    choiceChanged_ = false;
    refreshList();
    if (parentWidget())
        move(parentWidget()->geometry().center() - QPoint(width() / 2, height() / 2));
    QDialog::showEvent(event);
}

void TFselectComm::choose(int index) {
    if (index < 0 || index >= facts_.size()) return;
    // The port shown at that place, even if the machine's list changed meanwhile.
    comm_.setChoice(link::choiceForDevice(facts_[index].path, index));
    choiceChanged_ = true;
}

void TFselectComm::closeClicked() {
    QString text = DB1->currentText();
    if (!text.isEmpty()) {
        const int index = DB1->currentIndex();
        const bool listed = index >= 0 && index < facts_.size() && DB1->itemText(index) == text;
        if (listed) {
            // An entry of the list, chosen by keys without the popup: switch to it.
            if (facts_[index].path != comm_.devicePath()) choose(index);
        } else if (link::portDisplayName(comm_.devicePath()) != text && comm_.devicePath() != text) {
            // A typed name or path that is not the port in use switches to it first.
            if (auto choice = portChoiceFromText(text)) {
                comm_.setChoice(*choice);
                choiceChanged_ = true;
            }
        }
        if (clearPortLost_) clearPortLost_();
        comm_.open();
    }
    leaving_ = true;
    accept();
}

void TFselectComm::cancelClicked() {
    comm_.close();
    QMessageBox box(QMessageBox::NoIcon, gui::kProgramCaption, "Comm порт не активирован", QMessageBox::Ok,
                    this);
    box.setObjectName("commNotActivated");
    box.exec();
    leaving_ = true;
    reject();
}

void TFselectComm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return;  // only the buttons leave
    QDialog::keyPressEvent(event);
}

void TFselectComm::closeEvent(QCloseEvent* event) {
    if (!leaving_) event->ignore();
}

}  // namespace velmora::app
