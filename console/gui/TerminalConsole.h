#pragma once
// The Terminal page's behaviour: the command line with its key filter and history,
// sending through the link, the command beginnings and the popup's own entries. The
// logic is the plain code beside it (console/); this class only binds the widgets.

#include <QObject>
#include <QString>

#include "console/CommandHistory.h"
#include "console/ConsoleFrame.h"
#include "console/gui/TerminalPageWidgets.h"
#include "link/qt/LinkSession.h"
#include "system/CurrentModule.h"

class QAction;
class QMenu;

namespace velmora::console {

class FrameDecodeDialog;

// The menu entries the console answers to; they are built with the window's menus.
struct ConsoleMenus {
    QMenu* pmProt = nullptr;
    QAction* mmClear = nullptr;
    QAction* mmSaveProt = nullptr;   // "Сохранить протокол"
    QMenu* loadKomm = nullptr;       // "Создать команду"
    QMenu* N8 = nullptr;             // "Формат команды": its items show the hints
    QAction* loadKommSet = nullptr;  // "Загрузить набор команд"
    QAction* mmCRC_hi = nullptr;
    QAction* mmDecode = nullptr;     // "Разобрать кадр"
};

class TerminalConsole : public QObject {
    Q_OBJECT
public:
    TerminalConsole(const TerminalPageWidgets& page, const ConsoleMenus& menus,
                    link::LinkSession& session, system::CurrentModule& module,
                    QObject* parent = nullptr);

    // Enter in the command line: remember the line, then send it once the link is free.
    void commandEntered();
    // Replaces the history with a command set; an error text when the file is refused.
    QString loadCommandSet(const QString& path);
    // Writes the log as UTF-8 text; an error text when that failed.
    QString saveLog(const QString& path) const;
    const CommandHistory& history() const { return history_; }
    CrcOrder crcOrder() const;
    // Where the file dialogs start (the program's folder unless told otherwise).
    void setStartFolder(const QString& folder) { startFolder_ = folder; }
    // "Разбор кадра" with `text` in it (made when first opened).
    FrameDecodeDialog* openDecoder(const QString& text);
    FrameDecodeDialog* decoder() const { return decoder_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void send(const QString& text);
    void showHistory();
    void updateBeginnings();
    void applyBeginning(const QString& name);
    void chooseCommandSet();
    void chooseLogFile();
    void showError(const QString& text) const;

    TerminalPageWidgets page_;
    ConsoleMenus menus_;
    link::LinkSession& session_;
    system::CurrentModule& module_;
    CommandHistory history_;
    QString startFolder_;
    FrameDecodeDialog* decoder_ = nullptr;
};

}  // namespace velmora::console
