#include "app/TFselectComm.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
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
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      comm_(comm),
      clearPortLost_(std::move(clearPortLost)) {
    setObjectName("TFselectComm");
    setWindowTitle("Выбор номера Comm порта");
    setModal(true);
    auto* v = new QVBoxLayout(this);
    DB1 = new QComboBox(this);
    DB1->setObjectName("DB1");
    DB1->setEditable(true);  // a device path may be typed by hand
    DB1->setInsertPolicy(QComboBox::NoInsert);
    DB1->setMinimumWidth(220);
    DB1->setEditText("COM1");
    v->addWidget(DB1);
    auto* h = new QHBoxLayout;
    Button2 = new QPushButton("Отмена", this);
    Button2->setObjectName("Button2");
    Button1 = new QPushButton("Закрыть", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    h->addWidget(Button2);
    h->addWidget(Button1);
    v->addLayout(h);
    setFixedSize(sizeHint());
    connect(DB1, qOverload<int>(&QComboBox::activated), this, &TFselectComm::choose);
    connect(Button1, &QPushButton::clicked, this, &TFselectComm::closeClicked);
    connect(Button2, &QPushButton::clicked, this, &TFselectComm::cancelClicked);
}

void TFselectComm::refreshList() {
    paths_ = comm_.portList();
    DB1->clear();
    for (const QString& p : paths_) DB1->addItem(link::portDisplayName(p));
    int current = static_cast<int>(paths_.indexOf(comm_.devicePath()));
    if (current >= 0)
        DB1->setCurrentIndex(current);
    else
        DB1->setEditText("COM1");
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
    if (index < 0 || index >= paths_.size()) return;
    // The port shown at that place, even if the machine's list changed meanwhile.
    comm_.setChoice(link::choiceForDevice(paths_[index], index));
    choiceChanged_ = true;
}

void TFselectComm::closeClicked() {
    QString text = DB1->currentText();
    if (!text.isEmpty()) {
        // A typed name or path that is not the port in use switches to it first.
        if (link::portDisplayName(comm_.devicePath()) != text && comm_.devicePath() != text) {
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
    QMessageBox box(QMessageBox::NoIcon, windowTitle(), "Comm порт не активирован", QMessageBox::Ok,
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
