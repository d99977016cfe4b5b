#pragma once
// "О программе": name, version and maker as the build records them.

#include <QDialog>
#include <QLabel>
#include <cstdint>

namespace velmora::app {

// The file version as "%d.%d.%d.%d" from its two 32-bit halves.
QString fileVersionText(uint32_t mostSignificant, uint32_t leastSignificant);

class TFAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TFAboutBox(QWidget* parent = nullptr);

    QLabel* productName = nullptr;  // "Наименование : "
    QLabel* version = nullptr;      // "Версия : "
    QLabel* company = nullptr;      // "Разработчик : "

protected:
    void showEvent(QShowEvent* event) override;

private:
    void readVersionInfo();
};

}  // namespace velmora::app
