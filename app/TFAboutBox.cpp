#include "app/TFAboutBox.h"

#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "BuildInfo.h"
#include "common/gui/ImageList.h"

namespace velmora::app {

QString fileVersionText(uint32_t ms, uint32_t ls) {
    return QString("%1.%2.%3.%4").arg(ms >> 16).arg(ms & 0xFFFF).arg(ls >> 16).arg(ls & 0xFFFF);
}

TFAboutBox::TFAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("TFAboutBox");
    setWindowTitle("О программе");
    // The picture and the shadowed title sit at fixed places in a band of their own; the
    // lines below wrap, so a long description is shown whole, never cut at the edge.
    auto* band = new QWidget(this);
    band->setFixedSize(360, 60);
    auto* icon = new QLabel(band);
    icon->setPixmap(gui::imagePixmap(gui::kImgNodeMark).scaled(32, 32));
    icon->move(12, 12);
    icon->setAccessibleName("Значок Velmora");
    // The title twice, the second 12 px left and 11 px down of the first: a shadow.
    QFont titleFont = font();
    titleFont.setPointSize(20);
    titleFont.setBold(true);
    auto* shadow = new QLabel("Velmora", band);
    shadow->setFont(titleFont);
    shadow->setStyleSheet("color: gray;");
    shadow->move(120, 22);
    shadow->adjustSize();
    auto* title = new QLabel("Velmora", band);
    title->setFont(titleFont);
    title->setStyleSheet("color: navy;");
    title->move(132, 11);
    title->adjustSize();
    auto* v = new QVBoxLayout(this);
    v->setSizeConstraint(QLayout::SetFixedSize);
    v->addWidget(band);
    auto line = [&](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setWordWrap(true);
        l->setFixedWidth(336);
        v->addWidget(l);
        return l;
    };
    productName = line("productName");
    version = line("version");
    company = line("company");
    auto* ok = new QPushButton("OK", this);
    ok->setFixedSize(80, 28);
    ok->setDefault(true);
    v->addSpacing(8);
    v->addWidget(ok, 0, Qt::AlignHCenter);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TFAboutBox::readVersionInfo() {
    using namespace velmora::build;
    const uint32_t ms = (static_cast<uint32_t>(kVersionMajor) << 16) | kVersionMinor;
    const uint32_t ls = (static_cast<uint32_t>(kVersionPatch) << 16) | kVersionBuild;
    productName->setText(QString("Наименование : ") + kFileDescription);
    version->setText("Версия : " + fileVersionText(ms, ls));
    company->setText(QString("Разработчик : ") + kCompany);
}

void TFAboutBox::showEvent(QShowEvent* event) {
    readVersionInfo();
    layout()->activate();  // sized to the lines just read before it is centred
    if (QScreen* s = screen()) move(s->geometry().center() - rect().center());
    QDialog::showEvent(event);
}

}  // namespace velmora::app
