#pragma once

class QCoreApplication;

namespace velmora::gui {

// Qt's own Russian texts (file dialogs, standard buttons, the progress dialog's
// "Отмена"), from the Qt translations installed with Qt. Without them every dialog Qt
// draws itself speaks English in a Russian program. Returns false when the
// translations are not installed; the program then runs with Qt's English texts.
bool loadQtTranslations(QCoreApplication& application);

}  // namespace velmora::gui
