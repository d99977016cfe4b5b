#pragma once
// "Помощь": the help file's lines, white on blue. Esc closes it.

#include <QDialog>
#include <QListWidget>

namespace velmora::app {

class TFHelp : public QDialog {
    Q_OBJECT
public:
    explicit TFHelp(QWidget* parent = nullptr);
    void setLines(const QStringList& lines);
    QListWidget* list = nullptr;
};

// The help file this run reads on F1 (see HelpFileLookup.h); empty when there is none.
QString locateHelpFile();

// The help file's text (Windows-1251) as lines; nothing when it does not exist.
std::optional<QStringList> readHelpFile(const QString& path);

}  // namespace velmora::app
