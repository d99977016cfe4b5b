#include "console/gui/TerminalConsole.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTextBlock>
#include <QSignalBlocker>

#include "common/FileReplace.h"
#include "common/RegularFileRead.h"
#include "console/CommandBeginnings.h"
#include "console/CommandKeyFilter.h"
#include "console/CommandSetFile.h"
#include "console/CommandTokenizer.h"
#include "console/ConsoleExchange.h"
#include "console/gui/FrameDecodeDialog.h"
#include "link/FrameDecode.h"
#include "common/gui/ProgramCaption.h"

namespace velmora::console {

namespace {

// The character a key event would type, control keys as their codes.
char32_t typedCharacter(const QKeyEvent* key) {
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    if (key->key() == Qt::Key_Backspace) return 0x08;
    if (ctrl && key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z)
        return static_cast<char32_t>(key->key() - Qt::Key_A + 1);
    const QString text = key->text();
    if (text.isEmpty()) return 0;
    return text.toUcs4().value(0);
}

}  // namespace

TerminalConsole::TerminalConsole(const TerminalPageWidgets& page, const ConsoleMenus& menus,
                                 link::LinkSession& session, system::CurrentModule& module,
                                 QObject* parent)
    : QObject(parent),
      page_(page),
      menus_(menus),
      session_(session),
      module_(module),
      startFolder_(QCoreApplication::applicationDirPath()) {
    // On the combo box, not its line edit: the combo box is the focus widget (the line
    // edit's focus proxy) and hands keys to the line edit by calling its event()
    // directly, past any filter installed there.
    page_.cbKomStr->installEventFilter(this);
    connect(menus_.mmClear, &QAction::triggered, page_.reProt, [this] { page_.reProt->clearLog(); });
    connect(menus_.mmSaveProt, &QAction::triggered, this,
            [this] { session_.whenFree([this] { chooseLogFile(); }); });
    connect(menus_.loadKommSet, &QAction::triggered, this,
            [this] { session_.whenFree([this] { chooseCommandSet(); }); });
    connect(menus_.pmProt, &QMenu::aboutToShow, this, &TerminalConsole::updateBeginnings);
    // The line under the text cursor (put where the popup was asked for) is the likely frame.
    if (menus_.mmDecode)
        connect(menus_.mmDecode, &QAction::triggered, this, [this] {
            openDecoder(QString::fromStdString(std::string(link::frameTextOfLogLine(
                page_.reProt->textCursor().block().text().toStdString()))));
        });
    page_.reProt->viewport()->installEventFilter(this);
    for (const CommandBeginning& item : commandBeginnings()) {
        const QString name = item.name;
        if (auto* sub = menus_.loadKomm->findChild<QMenu*>(name)) {
            connect(sub, &QMenu::aboutToShow, this, [this, name] { applyBeginning(name); });
        } else if (auto* action = menus_.loadKomm->findChild<QAction*>(name)) {
            connect(action, &QAction::triggered, this, [this, name] { applyBeginning(name); });
        }
    }
    updateBeginnings();
}

CrcOrder TerminalConsole::crcOrder() const {
    return menus_.mmCRC_hi->isChecked() ? CrcOrder::HighFirst : CrcOrder::LowFirst;
}

FrameDecodeDialog* TerminalConsole::openDecoder(const QString& text) {
    if (!decoder_) decoder_ = new FrameDecodeDialog(page_.reProt->window());
    decoder_->showFrame(text, crcOrder() == CrcOrder::HighFirst);
    decoder_->show();
    decoder_->raise();
    decoder_->activateWindow();
    return decoder_;
}

bool TerminalConsole::eventFilter(QObject* watched, QEvent* event) {
    if (watched == page_.reProt->viewport()) {
        // A right click puts the text cursor on its line, as a left click does: the
        // popup's "Разобрать кадр" then takes the line the popup was asked for, not the
        // one last clicked.
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* click = static_cast<QMouseEvent*>(event);
            if (click->button() == Qt::RightButton)
                page_.reProt->setTextCursor(
                    page_.reProt->cursorForPosition(click->position().toPoint()));
        }
        // A double click on a frame line of the log takes that frame apart.
        if (event->type() == QEvent::MouseButtonDblClick) {
            const auto* click = static_cast<QMouseEvent*>(event);
            const QString line = page_.reProt->cursorForPosition(click->position().toPoint())
                                     .block()
                                     .text();
            const std::string text(link::frameTextOfLogLine(line.toStdString()));
            std::string error;
            const auto bytes = link::parseFrameText(text, error);
            if (bytes && !bytes->empty()) {
                openDecoder(QString::fromStdString(text));
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        commandEntered();
        return true;
    }
    // Focus moves on as from any other control.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
    const char32_t typed = typedCharacter(key);
    if (typed == 0) return false;  // arrows, Delete, Home: they type nothing
    const FilteredKey verdict = filterCommandKey(typed);
    switch (verdict.verdict) {
        case KeyVerdict::Pass:
            return false;
        case KeyVerdict::Insert:
            page_.cbKomStr->lineEdit()->insert(QString(QChar(static_cast<char16_t>(verdict.ch))));
            return true;
        case KeyVerdict::Swallow:
            return true;
    }
    return true;
}

void TerminalConsole::commandEntered() {
    const QString text = page_.cbKomStr->currentText();
    const ParsedCommand parsed = parseCommandLine(text.toStdString());
    if (parsed.error == CommandError::None && parsed.bytes.empty()) return;
    history_.remember(text.toStdString());
    showHistory();
    // A transaction waiting for its reply owns the buffers: the line goes out after it.
    session_.whenFree([this, text] { send(text); });
}

void TerminalConsole::send(const QString& text) {
    const ConsoleResult result =
        sendConsoleCommand(session_.engine(), text.toStdString(), crcOrder(), page_.reProt->model());
    if (result.outcome == ConsoleOutcome::Refused) showError(QString::fromStdString(result.message));
    if (result.outcome == ConsoleOutcome::Busy) session_.whenFree([this, text] { send(text); });
}

void TerminalConsole::showHistory() {
    QComboBox* cb = page_.cbKomStr;
    const QString text = cb->currentText();
    const QSignalBlocker quiet(cb);
    cb->clear();
    for (const std::string& item : history_.items()) cb->addItem(QString::fromStdString(item));
    cb->setCurrentIndex(-1);
    cb->setEditText(text);
}

void TerminalConsole::updateBeginnings() {
    const uint8_t level = module_.SelectionLevel;
    menus_.loadKomm->menuAction()->setEnabled(beginningsEnabled(level));
    for (const CommandBeginning& item : commandBeginnings()) {
        QAction* action = nullptr;
        if (auto* sub = menus_.loadKomm->findChild<QMenu*>(item.name))
            action = sub->menuAction();
        else
            action = menus_.loadKomm->findChild<QAction*>(item.name);
        if (action) action->setVisible(beginningShown(item, level));
    }
}

void TerminalConsole::applyBeginning(const QString& name) {
    const auto text =
        beginningText(name.toStdString(), module_.CurrentCID, module_.CurrentSlaveAdr);
    if (!text) return;
    // The hint item shows the hint and puts the focus on the command line.
    if (auto* hint = menus_.N8->findChild<QAction*>(QString::fromStdString(text->hintName)))
        hint->trigger();
    page_.cbKomStr->setEditText(QString::fromStdString(text->line));
    page_.cbKomStr->lineEdit()->end(false);
}

QString TerminalConsole::loadCommandSet(const QString& path) {
    const FileRead file = readRegularFile(QFile::encodeName(path).toStdString(), kMaxCommandSetBytes);
    if (file.fault == FileReadFault::TooLarge) return QString::fromStdString(commandSetTooLargeText());
    if (!file.ok())
        return "Не удалось открыть " + path + ": " + QString::fromStdString(file.reason);
    CommandSetReader reader;
    reader.feed(file.text);
    const CommandSet set = reader.finish();
    if (!set.error.empty()) return QString::fromStdString(set.error);
    history_.replaceWith(set.commands);
    showHistory();
    return {};
}

QString TerminalConsole::saveLog(const QString& path) const {
    const QByteArray text = page_.reProt->allText().toUtf8();
    std::string error;
    if (!replaceFile(QFile::encodeName(path).toStdString(),
                     std::string_view(text.constData(), static_cast<size_t>(text.size())), error))
        return "Не удалось записать " + path + ": " + QString::fromStdString(error);
    return {};
}

void TerminalConsole::chooseCommandSet() {
    const QString path = QFileDialog::getOpenFileName(
        page_.cbKomStr->window(), "Загрузить набор команд", startFolder_,
        "Набор команд Modbus [*.ncm] (*.ncm)", nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return;
    if (const QString error = loadCommandSet(path); !error.isEmpty()) showError(error);
}

void TerminalConsole::chooseLogFile() {
    const QString path = QFileDialog::getSaveFileName(
        page_.cbKomStr->window(), "Сохранить протокол", startFolder_,
        "Текст (*.txt);;Все файлы (*)", nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return;
    if (const QString error = saveLog(path); !error.isEmpty()) showError(error);
}

void TerminalConsole::showError(const QString& text) const {
    QMessageBox::critical(page_.cbKomStr->window(), QString(gui::kProgramCaption), text);
}

}  // namespace velmora::console
