#include "system/gui/IdentTab.h"

#include <QAction>
#include <QKeyEvent>
#include <QListWidget>
#include <QMessageBox>

#include "link/ReplyCodes.h"
#include "system/IdentNames.h"
#include "system/LinkParams.h"
#include "common/gui/ProgramCaption.h"

namespace velmora::system {

namespace {
constexpr int kLineHeight = 16;
constexpr int kPeriodsMs[] = {1000, 2000, 5000, 10000};
const QColor kHeaderColour(0, 0, 255);
const QColor kStaleColour(192, 192, 192);  // silver

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

IdentTab::IdentTab(IdentTabWidgets& widgets, IdentTabFrame frame, QObject* parent)
    : QObject(parent), w_(widgets), f_(std::move(frame)), namesFile_(kNamesFile) {
    QPalette pal = w_.lbIdMod->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
    w_.lbIdMod->setPalette(pal);
    w_.lbIdMod->setUniformItemSizes(true);
    for (QWidget* c : {static_cast<QWidget*>(w_.sbUpDateId),
                       static_cast<QWidget*>(w_.cbAutoApDateId), static_cast<QWidget*>(w_.cbPapId)})
        c->setEnabled(true);

    connect(w_.sbUpDateId, &QPushButton::clicked, this,
            [this] { f_.session->whenFree([this] { f_.pageChange(); }); });
    connect(w_.cbAutoApDateId, &QCheckBox::toggled, this, &IdentTab::autoToggled);
    connect(w_.lbIdMod, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { editLine(w_.lbIdMod->row(item)); });
}

int IdentTab::periodMs() const {
    const int i = w_.cbPapId->currentIndex();
    return i >= 0 && i < 4 ? kPeriodsMs[i] : kPeriodsMs[0];
}

void IdentTab::read() {
    // Shown while another operation waits for its reply (or from inside a wait): read
    // once it is over, so the two never interleave and this read is not lost.
    if (!f_.session->engine().isIdle()) {
        if (readPending_) return;
        readPending_ = true;
        f_.session->whenFree([this] {
            readPending_ = false;
            readAndShow();
        });
        return;
    }
    readAndShow();
}

void IdentTab::readAndShow() {
    const CurrentModule& m = *f_.module;
    last_ = readIdent(f_.session->engine(), f_.status,
                      {m.CurrentCID, m.CurrentSlaveAdr, m.SelectionLevel});
    show();
}

void IdentTab::show() {
    const IdentNames names = loadIdentNames(namesFile_);
    const std::vector<std::string> lines = identListLines(last_.block, last_.ok, names.names);
    const int selected = w_.lbIdMod->currentRow();
    w_.lbIdMod->clear();
    const QColor normal = w_.lbIdMod->palette().color(QPalette::Text);
    for (size_t i = 0; i < lines.size(); ++i) {
        auto* item = new QListWidgetItem(q(lines[i]));
        item->setSizeHint(QSize(0, kLineHeight));
        item->setForeground(i == 0 ? kHeaderColour : last_.ok ? normal : kStaleColour);
        w_.lbIdMod->addItem(item);
    }
    if (selected >= 0 && selected < w_.lbIdMod->count()) w_.lbIdMod->setCurrentRow(selected);
    if (last_.ok && !names.notice.empty() && f_.status) f_.status->showStatus(names.notice);
}

void IdentTab::autoToggled(bool on) {
    const bool other = f_.otherAutoOn && f_.otherAutoOn();
    if (on) {
        f_.tmUpDate->start(periodMs());
        initWasEnabled_.clear();
        for (QAction* a : f_.initEntries) {
            initWasEnabled_.push_back(a->isEnabled());
            a->setEnabled(false);
        }
    } else {
        if (!other) f_.tmUpDate->stop();
        for (size_t i = 0; i < f_.initEntries.size() && i < initWasEnabled_.size(); ++i)
            f_.initEntries[i]->setEnabled(initWasEnabled_[i]);
    }
    w_.sbUpDateId->setEnabled(!on);
    w_.cbPapId->setEnabled(!on);
    for (QAction* a : f_.lockedWhileAuto) a->setEnabled(!on && !other);
}

bool IdentTab::key(QKeyEvent* key) {
    // Enter on a selected line edits it, as a double click does.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && w_.lbIdMod->hasFocus() &&
        linkParamOfLine(w_.lbIdMod->currentRow())) {
        editLine(w_.lbIdMod->currentRow());
        return true;
    }
    return false;
}

void IdentTab::editLine(int line) {
    if (!linkParamOfLine(line)) return;
    f_.session->whenFree([this, line] { editNow(line); });
}

void IdentTab::complain(const QString& text) {
    QMessageBox::critical(f_.dialogParent, gui::kProgramCaption, text);
}

bool IdentTab::askValue(const LinkParamInfo& p, const QString& lineText, uint8_t& value) {
    TFEditParMod& ed = *f_.editor;
    const QString label = q(builtInIdentNames()[p.builtInName]);
    const std::string line = lineText.toStdString();
    if (p.param == LinkParam::Speed) {
        const auto speed = lineSpeed(line);
        if (!speed) {
            complain("'" + q(std::string(afterFirstColon(line))).trimmed() +
                     "' не является десятичным числом");
            return false;
        }
        int entry = -1;
        for (size_t i = 0; i < kSpeedCodes.size(); ++i)
            if (kSpeedCodes[i].bps == *speed) entry = static_cast<int>(i);
        ed.prepareSpeed(label, entry);
        if (!ed.run() || ed.speedEntry() < 0) return false;
        value = kSpeedCodes[static_cast<size_t>(ed.speedEntry())].code;
        return true;
    }
    // The field takes two digits: anything else on the line would be cut, not shown.
    const QString shown = q(std::string(afterFirstColon(line))).trimmed();
    ed.prepareValue(label, parseParamByte(shown.toStdString()) ? shown : QString());
    if (!ed.run()) return false;
    const auto typed = parseParamByte(ed.value().toStdString());
    if (!typed) {
        complain("'" + ed.value() + "' не является шестнадцатеричным числом 00..FF");
        return false;
    }
    if (std::string why = paramRefusal(p.param, *typed); !why.empty()) {
        complain(q(why));
        return false;
    }
    value = *typed;
    return true;
}

void IdentTab::editNow(int line) {
    const LinkParamInfo* p = linkParamOfLine(line);
    QListWidgetItem* item = w_.lbIdMod->item(line);
    // The parameters are a node's own; a sub-module's list shows its own identifier,
    // whose values would be written into the node it sits behind.
    if (!p || !item || f_.module->SelectionLevel != kNodeSelected) return;
    uint8_t value = 0;
    if (!askValue(*p, item->text(), value)) return;
    const uint8_t cid = f_.module->CurrentCID;
    link::TransactionEngine& engine = f_.session->engine();
    {
        auto hold = engine.hold();
        if (writeLinkParam(engine, cid, p->param, value) == link::kResultOk) {
            engine.pause(300);
            last_ = readIdent(engine, f_.status, {cid, 0, kNodeSelected});
            show();
            w_.lbIdMod->setCurrentRow(line);
            return;
        }
    }
    complain(kEepromWriteFailed);
}

}  // namespace velmora::system
