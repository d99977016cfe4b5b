#pragma once
// The test editor "Редактор тестов Velmora_Test": command lines composed from fields
// (tools/TestEditorRules), reordered by dragging, deleted, loaded and saved as .tst files.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStatusBar;
class QWidget;

namespace velmora::tools {

class TFEditorTest : public QDialog {
    Q_OBJECT
public:
    explicit TFEditorTest(QWidget* parent = nullptr);

    // "Запись": appends the line the fields give, or shows why it cannot.
    void btnRecClick();
    // The fields the chosen command needs (run every 300 ms while the editor is shown).
    void Timer1Timer();
    // Appends the lines of a file / saves every line, the extension made ".tst".
    bool loadFile(const QString& path, QString& error);
    bool saveFile(const QString& path, QString& error);

    QListWidget* lbMon_Kom = nullptr;
    QComboBox* cbKom = nullptr;
    QLineEdit *edAdr_Modbus = nullptr, *edKol = nullptr, *edAdr_i2c = nullptr,
              *edAdrRes_i = nullptr, *edAdrRes_M = nullptr, *edData_Write = nullptr;
    QWidget *pnI2c = nullptr, *pnRes = nullptr, *pnData = nullptr;
    QPushButton* btnRec = nullptr;
    QStatusBar* sb1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
};

}  // namespace velmora::tools
