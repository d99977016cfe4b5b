#include "app/TFAboutBox.h"

#include <QPushButton>
#include <QScreen>

#include "BuildInfo.h"
#include "common/gui/ImageList.h"

namespace velmora::app {

QString fileVersionText(uint32_t ms, uint32_t ls) {
    return QString("%1.%2.%3.%4").arg(ms >> 16).arg(ms & 0xFFFF).arg(ls >> 16).arg(ls & 0xFFFF);
}

TFAboutBox::TFAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("TFAboutBox");
    setWindowTitle("О программе");
    setFixedSize(360, 220);
    auto* icon = new QLabel(this);
    icon->setPixmap(gui::imagePixmap(gui::kImgNodeMark).scaled(32, 32));
    icon->move(12, 12);
    // The title twice, the second 12 px left and 11 px down of the first: a shadow.
    QFont titleFont = font();
    titleFont.setPointSize(20);
    titleFont.setBold(true);
    auto* shadow = new QLabel("Velmora", this);
    shadow->setFont(titleFont);
    shadow->setStyleSheet("color: gray;");
    shadow->move(120, 22);
    auto* title = new QLabel("Velmora", this);
    title->setFont(titleFont);
    title->setStyleSheet("color: navy;");
    title->move(132, 11);
    productName = new QLabel(this);
    productName->setObjectName("productName");
    productName->setGeometry(12, 70, 336, 20);
    version = new QLabel(this);
    version->setObjectName("version");
    version->setGeometry(12, 95, 336, 20);
    company = new QLabel(this);
    company->setObjectName("company");
    company->setGeometry(12, 120, 336, 20);
    auto* ok = new QPushButton("OK", this);
    ok->setGeometry(140, 175, 80, 28);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TFAboutBox::readVersionInfo() {
    using namespace velmora::build;
    const uint32_t ms = (static_cast<uint32_t>(kVersionMajor) << 16) | kVersionMinor;
    const uint32_t ls = (static_cast<uint32_t>(kVersionPatch) << 16) | kVersionBuild;
    productName->setText(QString("Наименование : ") + kDescription);
    version->setText("Версия : " + fileVersionText(ms, ls));
    company->setText(QString("Разработчик : ") + kCompany);
}

void TFAboutBox::showEvent(QShowEvent* event) {
    readVersionInfo();
    if (QScreen* s = screen()) move(s->geometry().center() - rect().center());
    QDialog::showEvent(event);
}

}  // namespace velmora::app
