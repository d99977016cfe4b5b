#pragma once
// The system tree `tvSysInf` over the table: node entry k under the root is row k,
// module entry j under it is module j of the row. The scan and the hand-added node
// label a node "$NN" and a module "  $SS"; the configuration loader the other way
// round, "  $NN" and "$SS".

#include <QTreeWidget>
#include <cstdint>
#include <optional>

#include "system/CurrentModule.h"

namespace velmora::system {

enum class LabelStyle { Scan, Loader };

struct TreePosition {
    int level = 0;  // 0 the root, 1 a node, 2 a module
    size_t node = 0;
    size_t module = 0;
};

class SystemTreeView {
public:
    SystemTreeView(QTreeWidget* tree, QTreeWidgetItem* root) : tree_(tree), root_(root) {}

    // Every entry but the root.
    void clear();
    void addNode(uint8_t cid, LabelStyle style);
    void addModule(size_t row, uint8_t slave, LabelStyle style);
    void rebuild(const SystemTableRows& rows, LabelStyle style);
    // Makes node entry `row` the current entry, as a click would.
    void selectNode(size_t row);
    int nodeEntries() const { return root_->childCount(); }

    static std::optional<TreePosition> positionOf(const QTreeWidgetItem* item);
    // While the tree is rebuilt the current entry changes without the user choosing.
    bool rebuilding() const { return rebuilding_; }

private:
    QTreeWidget* tree_;
    QTreeWidgetItem* root_;
    bool rebuilding_ = false;
};

}  // namespace velmora::system
