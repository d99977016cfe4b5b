#include "common/gui/ImageList.h"

#include <QHash>
#include <QPainter>

namespace velmora::gui {

namespace {

QPixmap blank() {
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    return p;
}

QPixmap plug(const QColor& colour, bool connected) {
    QPixmap p = blank();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(Qt::black, 1));
    g.setBrush(colour);
    g.drawRect(2, 5, 7, 6);
    g.drawLine(9, 7, 13, 7);
    g.drawLine(9, 9, 13, 9);
    if (!connected) {
        g.setPen(QPen(Qt::red, 2));
        g.drawLine(1, 14, 14, 1);
    }
    return p;
}

QPixmap box(const QColor& fill, const QColor& edge, bool chip) {
    QPixmap p = blank();
    QPainter g(&p);
    g.setPen(edge);
    g.setBrush(fill);
    g.drawRect(3, 3, 9, 9);
    if (chip) {
        for (int x = 4; x <= 11; x += 3) {
            g.drawLine(x, 0, x, 2);
            g.drawLine(x, 13, x, 15);
        }
    }
    return p;
}

}  // namespace

static QPixmap drawImage(int index) {
    switch (index) {
        case kImgTreeRoot:
            return box(QColor(255, 255, 200), Qt::darkGray, false);
        case kImgModule:
            return box(QColor(220, 220, 220), Qt::darkRed, true);
        case kImgModuleSelected:
            return box(QColor(255, 120, 120), Qt::darkRed, true);
        case kImgNodeMark:
            return box(QColor(120, 150, 255), Qt::darkBlue, true);
        case kImgNode:
            return box(QColor(120, 150, 255), Qt::darkBlue, false);
        case kImgPortClosed:
            return plug(QColor(200, 200, 200), false);
        case kImgPortOpen:
            return plug(QColor(0, 190, 0), true);
        default:
            return blank();
    }
}

QPixmap imagePixmap(int index) {
    // Drawn once each: the status bar and the tree ask for the same few at every repaint,
    // hundreds of times in a bus scan. Pixmaps live in the GUI thread only.
    static QHash<int, QPixmap> drawn;
    auto it = drawn.find(index);
    if (it == drawn.end()) it = drawn.insert(index, drawImage(index));
    return *it;
}

QIcon imageIcon(int index) {
    return QIcon(imagePixmap(index));
}

}  // namespace velmora::gui
