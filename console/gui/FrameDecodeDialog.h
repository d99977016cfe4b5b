#pragma once
// "Разбор кадра": the bytes of one frame, pasted or taken from a line of the protocol log,
// and its fields as they are typed.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace velmora::console {

class FrameDecodeDialog : public QDialog {
    Q_OBJECT
public:
    explicit FrameDecodeDialog(QWidget* parent = nullptr);

    // Shows `text` (hexadecimal bytes) taken apart; `crcHighFirst` as the CRC menu says.
    void showFrame(const QString& text, bool crcHighFirst);
    QLineEdit* bytesBox() const { return bytes_; }
    QPlainTextEdit* fieldsBox() const { return fields_; }
    QLabel* verdictLabel() const { return verdict_; }

private:
    void decode();

    QLineEdit* bytes_;
    QPlainTextEdit* fields_;
    QLabel* verdict_;
    bool crcHighFirst_ = false;
};

}  // namespace velmora::console
