#include "system/gui/SystemTreeView.h"

#include "common/HexText.h"
#include "common/gui/ImageList.h"

namespace velmora::system {

namespace {
QString label(const char* before, uint8_t address) {
    return QString(before) + "$" + QString::fromStdString(hexNumber(address, 2));
}

QIcon moduleIcon() {
    QIcon icon(gui::imagePixmap(gui::kImgModule));
    icon.addPixmap(gui::imagePixmap(gui::kImgModuleSelected), QIcon::Selected);
    return icon;
}
}  // namespace

void SystemTreeView::clear() {
    rebuilding_ = true;
    if (tree_->currentItem() != root_)
        tree_->setCurrentItem(root_, 0, QItemSelectionModel::NoUpdate);
    qDeleteAll(root_->takeChildren());
    rebuilding_ = false;
}

void SystemTreeView::addNode(uint8_t cid, LabelStyle style) {
    auto* item = new QTreeWidgetItem(root_, {label(style == LabelStyle::Scan ? "" : "  ", cid)});
    item->setIcon(0, gui::imageIcon(gui::kImgNode));
    tree_->expandAll();
}

void SystemTreeView::addModule(size_t row, uint8_t slave, LabelStyle style) {
    if (row >= static_cast<size_t>(root_->childCount())) return;
    QTreeWidgetItem* node = root_->child(static_cast<int>(row));
    auto* item = new QTreeWidgetItem(node, {label(style == LabelStyle::Scan ? "  " : "", slave)});
    item->setIcon(0, moduleIcon());
    tree_->expandAll();
}

void SystemTreeView::rebuild(const SystemTableRows& rows, LabelStyle style) {
    clear();
    for (size_t k = 0; k < rows.size() && rows[k].cid != 0; ++k) {
        addNode(rows[k].cid, style);
        for (size_t j = 0; j < rows[k].moduleCount && j < kMaxModules; ++j)
            addModule(k, rows[k].modules[j], style);
    }
}

void SystemTreeView::selectNode(size_t row) {
    if (row < static_cast<size_t>(root_->childCount()))
        tree_->setCurrentItem(root_->child(static_cast<int>(row)));
}

std::optional<TreePosition> SystemTreeView::positionOf(const QTreeWidgetItem* item) {
    if (!item) return std::nullopt;
    const QTreeWidgetItem* parent = item->parent();
    if (!parent) return TreePosition{0, 0, 0};
    const QTreeWidgetItem* grand = parent->parent();
    if (!grand)
        return TreePosition{
            1, static_cast<size_t>(parent->indexOfChild(const_cast<QTreeWidgetItem*>(item))), 0};
    return TreePosition{
        2, static_cast<size_t>(grand->indexOfChild(const_cast<QTreeWidgetItem*>(parent))),
        static_cast<size_t>(parent->indexOfChild(const_cast<QTreeWidgetItem*>(item)))};
}

}  // namespace velmora::system
