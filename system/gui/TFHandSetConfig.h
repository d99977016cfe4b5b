#pragma once
// The add-node dialog "  Добавить узел ": a Modbus address typed in hexadecimal (an
// even one) and the speed the node talks at. Made once at start; keeps its fields
// between uses.

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <cstdint>
#include <functional>

namespace velmora::system {

class TFHandSetConfig : public QDialog {
    Q_OBJECT
public:
    explicit TFHandSetConfig(QWidget* parent = nullptr);

    // Where the dialog reads the port's speed from on each activation.
    void setPortSpeedSource(std::function<uint32_t()> source) { portSpeed_ = std::move(source); }

    // Results, read once the dialog has closed.
    bool accepted() const { return accepted_; }
    uint16_t nodeAddress() const { return address_; }
    uint32_t speed() const { return speed_; }

    QLineEdit* edAdrModbus = nullptr;
    QComboBox* cbSpeed = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnCansel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void btnCloseClick();
    void btnCanselClick();

    std::function<uint32_t()> portSpeed_;
    bool accepted_ = false;
    uint16_t address_ = 0;
    uint32_t speed_ = 0;
};

}  // namespace velmora::system
