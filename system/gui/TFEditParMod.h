#pragma once
// "Изменение параметра модуля": the modal editor of one link parameter of a node, made
// once at start and kept. The speed is chosen from a list, the other parameters typed
// as one or two hexadecimal digits.

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora::system {

class TFEditParMod : public QDialog {
    Q_OBJECT
public:
    explicit TFEditParMod(QWidget* parent = nullptr);

    // Prepares the speed list, `entry` chosen (-1: none).
    void prepareSpeed(const QString& label, int entry);
    // Prepares the value field with `text`.
    void prepareValue(const QString& label, const QString& text);
    // Shows the dialog modally; true when it was closed with "Запись".
    bool run();

    int speedEntry() const { return cbSpeed->currentIndex(); }
    QString value() const { return edPar->text().trimmed(); }

    QLabel* lbName = nullptr;
    QComboBox* cbSpeed = nullptr;
    QLineEdit* edPar = nullptr;
    QPushButton* btnWrite = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool accepted_ = false;  // the dialog's accepted mark
};

}  // namespace velmora::system
