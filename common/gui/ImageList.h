#pragma once
// The main window's image list, drawn rather than loaded so the program needs no
// resource files. Only the pictures the program refers to are defined.

#include <QIcon>
#include <QPixmap>

namespace velmora::gui {

enum ImageIndex : int {
    kImgTreeRoot = 2,
    kImgModule = 3,
    kImgModuleSelected = 4,  // also the i2c mark of status panel 1
    kImgNodeMark = 5,        // the Modbus mark of status panel 0
    kImgNode = 6,
    kImgPortClosed = 17,
    kImgPortOpen = 18,
};

QPixmap imagePixmap(int index);
QIcon imageIcon(int index);

}  // namespace velmora::gui
