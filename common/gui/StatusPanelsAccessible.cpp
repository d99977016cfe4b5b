#include "common/gui/StatusPanelsAccessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <array>

#include "common/gui/StatusPanels.h"

namespace velmora::gui {

namespace {

// One panel: it has no object of its own, so it lives in the accessibility cache under
// an id its bar hands out and takes back.
class PanelAccessible : public QAccessibleInterface {
public:
    PanelAccessible(StatusPanels* bar, int panel) : bar_(bar), panel_(panel) {}

    bool isValid() const override { return !bar_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent() ? parent()->window() : nullptr; }
    QAccessibleInterface* parent() const override {
        return bar_ ? QAccessible::queryAccessibleInterface(bar_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (!bar_ || (t != QAccessible::Name && t != QAccessible::Value)) return {};
        return bar_->panelText(panel_);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!bar_) return {};
        const QRect local = bar_->panelRect(panel_);
        return {bar_->mapToGlobal(local.topLeft()), local.size()};
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = !bar_ || !bar_->isVisible();
        s.readOnly = true;
        return s;
    }

private:
    QPointer<StatusPanels> bar_;
    int panel_;
};

class StatusPanelsAccessible : public QAccessibleWidget {
public:
    explicit StatusPanelsAccessible(StatusPanels* bar)
        : QAccessibleWidget(bar, QAccessible::StatusBar) {}
    ~StatusPanelsAccessible() override {
        for (QAccessible::Id id : ids_)
            if (id) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return StatusPanels::kPanelCount; }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= StatusPanels::kPanelCount) return nullptr;
        if (!ids_[index]) {
            ids_[index] = QAccessible::registerAccessibleInterface(
                new PanelAccessible(static_cast<StatusPanels*>(widget()), index));
        }
        return QAccessible::accessibleInterface(ids_[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < StatusPanels::kPanelCount; ++i)
            if (ids_[i] && QAccessible::accessibleInterface(ids_[i]) == child) return i;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
        auto* bar = static_cast<StatusPanels*>(widget());
        for (int i = 0; i < StatusPanels::kPanelCount; ++i)
            if (bar->panelRect(i).contains(local)) return child(i);
        return nullptr;
    }

private:
    mutable std::array<QAccessible::Id, StatusPanels::kPanelCount> ids_{};
};

QAccessibleInterface* statusPanelsFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(StatusPanels::staticMetaObject.className())) return nullptr;
    auto* bar = qobject_cast<StatusPanels*>(object);
    return bar ? new StatusPanelsAccessible(bar) : nullptr;
}

}  // namespace

void installStatusPanelsAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(statusPanelsFactory);
}

}  // namespace velmora::gui
