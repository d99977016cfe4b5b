#include "app/SymbolFileMenu.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

#include "app/uVelmora.h"
#include "common/gui/ProgramCaption.h"
#include "symbols/gui/ProjectSymbols.h"

namespace velmora::app {

void installSymbolFileMenu(TFTerminal& window) {
    QAction* action = window.menus().mmSettings->addAction("Файл символов...");
    action->setObjectName("mmSymbolFile");
    QObject::connect(action, &QAction::triggered, &window, [&window] {
        auto& symbols = window.workbench().symbols;
        const QString current = QString::fromStdString(symbols.path());
        const QString path = QFileDialog::getOpenFileName(
            &window, "Файл символов", current.isEmpty() ? QString() : QFileInfo(current).path(),
            "Файлы символов (*.cod *.lst);;Все файлы (*)");
        if (path.isEmpty()) return;
        if (auto error = symbols.load(path.toStdString()))
            QMessageBox::warning(&window, gui::kProgramCaption,
                                 "Файл символов не прочитан:\n" + QString::fromStdString(*error));
    });
}

}  // namespace velmora::app
