#include "console/gui/FrameDecodeDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/gui/CaptionWidth.h"
#include "common/gui/Fonts.h"
#include "link/FrameDecode.h"

namespace velmora::console {

FrameDecodeDialog::FrameDecodeDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("FrameDecodeDialog");
    setWindowTitle("Разбор кадра");
    auto* layout = new QVBoxLayout(this);
    auto* bytesLabel = new QLabel("Байты кадра (CRC в конце):");
    bytes_ = new QLineEdit;
    bytes_->setObjectName("edFrameBytes");
    bytes_->setAccessibleName("Байты кадра");
    bytes_->setFont(gui::namedFont("Courier New", 10, false));
    bytesLabel->setBuddy(bytes_);
    auto* fieldsLabel = new QLabel("Поля кадра:");
    fields_ = new QPlainTextEdit;
    fields_->setObjectName("reFrameFields");
    fields_->setAccessibleName("Поля кадра");
    fields_->setReadOnly(true);
    fields_->setFont(gui::namedFont("Courier New", 10, false));
    fieldsLabel->setBuddy(fields_);
    verdict_ = new QLabel;
    verdict_->setObjectName("lbFrameVerdict");
    verdict_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText("Закрыть");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(bytesLabel);
    layout->addWidget(bytes_);
    layout->addWidget(fieldsLabel);
    layout->addWidget(fields_, 1);
    layout->addWidget(verdict_);
    layout->addWidget(buttons);
    connect(bytes_, &QLineEdit::textChanged, this, &FrameDecodeDialog::decode);
    resize(460, 340);
    gui::fitCaption(this);
}

void FrameDecodeDialog::showFrame(const QString& text, bool crcHighFirst) {
    crcHighFirst_ = crcHighFirst;
    bytes_->setText(text.trimmed());
    decode();  // also when the text was already there and the CRC order changed
}

void FrameDecodeDialog::decode() {
    std::string error;
    const auto bytes = link::parseFrameText(bytes_->text().toStdString(), error);
    QString verdict;
    QString fields;
    if (!bytes) {
        verdict = QString::fromStdString(error);
    } else if (bytes->empty()) {
        verdict = "Вставьте байты кадра";
    } else {
        const link::FrameDecodeResult r = link::decodeFrame(*bytes, crcHighFirst_);
        if (!r.frame) {
            verdict = "Не кадр: " + QString::fromStdString(r.problem);
        } else {
            for (const std::string& line : link::frameFieldLines(*r.frame))
                fields += QString::fromStdString(line) + "\n";
            switch (r.frame->role) {
                case link::FrameRole::Request:
                    verdict = r.frame->replyLength
                                  ? QString("Запрос; ответ: %1 байт").arg(r.frame->replyLength)
                                  : QString("Запрос; ответа не ждут");
                    break;
                case link::FrameRole::Reply:
                    verdict = "Ответ";
                    break;
                case link::FrameRole::ErrorReply:
                    verdict = "Ответ с ошибкой";
                    break;
            }
            if (!r.frame->crcOk) verdict += "; CRC неверна";
        }
    }
    fields_->setPlainText(fields);
    verdict_->setText(verdict);
    verdict_->setAccessibleName(verdict);
}

}  // namespace velmora::console
