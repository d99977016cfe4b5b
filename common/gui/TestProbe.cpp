#include "common/gui/TestProbe.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeView>
#include <vector>

#include "common/NumberText.h"

namespace velmora::gui {

namespace {

struct VerbForm {
    std::string_view word;
    ProbeRequest::Verb verb;
    bool named;
    int numbers;      // after the name
    int moreNumbers;  // an alternative count (text's cell), or -1
};
constexpr VerbForm kVerbs[] = {
    {"where", ProbeRequest::Where, true, 0, -1},  {"tab", ProbeRequest::Tab, true, 1, -1},
    {"item", ProbeRequest::Item, true, 2, -1},    {"text", ProbeRequest::Text, true, 0, 2},
    {"current", ProbeRequest::Current, true, 0, -1},
    {"state", ProbeRequest::State, true, 0, -1},  {"focus", ProbeRequest::Focus, false, 0, -1},
    {"windows", ProbeRequest::Windows, false, 0, -1}, {"active", ProbeRequest::Active, false, 0, -1},
};

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
        size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
            ++end;
        if (end > at) out.push_back(line.substr(at, end - at));
        at = end;
    }
    return out;
}

QString name(const QObject* o) {
    return o->objectName().isEmpty() ? QStringLiteral("-") : o->objectName();
}

QString rect(const QRect& r) {
    if (r.isEmpty()) return QStringLiteral("none");
    return QStringLiteral("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString global(const QWidget* w, QRect local) {
    local.translate(w->mapToGlobal(QPoint(0, 0)));
    return rect(local);
}

// The window keys go to, or a modal one over it.
QWidget* activeWindow() {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    return QApplication::activeWindow();
}

// The shown widget of that name; one in the active window first, as names repeat
// across dialogs ("btnCansel", "cbSpeed").
QWidget* shownWidget(const QString& wanted) {
    const QWidget* active = activeWindow();
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::allWidgets()) {
        if (w->objectName() != wanted || !w->isVisible()) continue;
        if (w->window() == active) return w;
        if (!found) found = w;
    }
    return found;
}

QWidget* anyWidget(const QString& wanted) {
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == wanted) return w;
    return nullptr;
}

// A menu entry, menu bar title or tool button of that name, where it is shown.
QString actionPlace(const QString& wanted) {
    for (QWidget* w : QApplication::allWidgets()) {
        if (!w->isVisible()) continue;
        for (QAction* a : w->actions()) {
            if (a->objectName() != wanted || !a->isVisible()) continue;
            if (auto* menu = qobject_cast<QMenu*>(w)) return global(menu, menu->actionGeometry(a));
            if (auto* bar = qobject_cast<QMenuBar*>(w)) return global(bar, bar->actionGeometry(a));
            if (auto* tools = qobject_cast<QToolBar*>(w))
                if (QWidget* button = tools->widgetForAction(a))
                    return global(button, button->rect());
        }
    }
    return QStringLiteral("none");
}

QAction* anyAction(const QString& wanted) {
    for (QWidget* w : QApplication::allWidgets())
        for (QAction* a : w->actions())
            if (a->objectName() == wanted) return a;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* a = w->findChild<QAction*>(wanted)) return a;
    return nullptr;
}

// The row-th row as the view shows it (a tree's rows top to bottom), in `column`.
QModelIndex shownIndex(QAbstractItemView* view, int row, int column) {
    if (!view->model() || row < 0 || column < 0) return {};
    if (auto* tree = qobject_cast<QTreeView*>(view)) {
        QModelIndex at = tree->model()->index(0, 0, tree->rootIndex());
        for (int i = 0; i < row && at.isValid(); ++i) at = tree->indexBelow(at);
        return at.isValid() ? at.sibling(at.row(), column) : QModelIndex();
    }
    return view->model()->index(row, column, view->rootIndex());
}

// The first line of a text box's row-th paragraph, as far as the box shows it.
template <class Edit>
QString paragraphPlace(Edit* edit, int row) {
    const QTextBlock block = edit->document()->findBlockByNumber(row);
    if (!block.isValid()) return QStringLiteral("none");
    const QRect cursor = edit->cursorRect(QTextCursor(block));
    QWidget* view = edit->viewport();
    return global(view, QRect(0, cursor.top(), view->width(), cursor.height()) & view->rect());
}

QString oneLine(QString text) {
    return text.replace('\n', QStringLiteral("\\n")).replace('\r', QString());
}

QString widgetText(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* s = qobject_cast<QAbstractSpinBox*>(w)) return s->text();
    if (auto* t = qobject_cast<QTextEdit*>(w)) return t->toPlainText();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText();
    if (auto* v = qobject_cast<QAbstractItemView*>(w)) return v->currentIndex().data().toString();
    if (auto* s = qobject_cast<QStatusBar*>(w)) return s->currentMessage();
    // Painted panels speak through their accessible children.
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    if (!a) return {};
    QStringList parts;
    for (int i = 0; i < a->childCount(); ++i)
        if (QAccessibleInterface* child = a->child(i)) parts << child->text(QAccessible::Name);
    return parts.isEmpty() ? a->text(QAccessible::Name) : parts.join(QStringLiteral(" | "));
}

QString windowLine(QWidget* w) {
    return QStringLiteral("%1 %2 0x%3").arg(name(w), w->metaObject()->className())
        .arg(static_cast<qulonglong>(w->winId()), 0, 16);
}

}  // namespace

std::optional<ProbeRequest> parseProbeRequest(std::string_view line) {
    const std::vector<std::string_view> w = words(line);
    if (w.empty()) return std::nullopt;
    for (const VerbForm& form : kVerbs) {
        if (w[0] != form.word) continue;
        const int given = static_cast<int>(w.size()) - 1 - (form.named ? 1 : 0);
        if (given < 0 || (given != form.numbers && given != form.moreNumbers)) return std::nullopt;
        ProbeRequest r;
        r.verb = form.verb;
        if (form.named) r.name = std::string(w[1]);
        int* fields[] = {&r.row, &r.column};
        for (int i = 0; i < given; ++i) {
            const auto n = parseUnsigned(w[static_cast<size_t>(2 + i)], 100000);
            if (!n) return std::nullopt;
            *fields[i] = static_cast<int>(*n);
        }
        return r;
    }
    return std::nullopt;
}

QString probeAnswer(const ProbeRequest& r) {
    const QString wanted = QString::fromStdString(r.name);
    switch (r.verb) {
        case ProbeRequest::Focus: {
            QWidget* f = QApplication::focusWidget();
            if (!f) return QStringLiteral("none");
            return name(f) + ' ' + f->metaObject()->className() + ' ' + global(f, f->rect());
        }
        case ProbeRequest::Active: {
            QWidget* w = activeWindow();
            return w ? windowLine(w) : QStringLiteral("none");
        }
        case ProbeRequest::Windows: {
            QStringList lines;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible()) lines << windowLine(w) + ' ' + oneLine(w->windowTitle());
            return lines.join('\t');
        }
        case ProbeRequest::State: {
            if (QWidget* w = shownWidget(wanted)) {
                auto* b = qobject_cast<QAbstractButton*>(w);
                return QStringLiteral("shown %1 %2")
                    .arg(w->isEnabled() ? "enabled" : "disabled",
                         b && b->isChecked() ? "checked" : "unchecked");
            }
            if (QAction* a = anyAction(wanted))
                return QStringLiteral("%1 %2 %3")
                    .arg(a->isVisible() ? "shown" : "hidden", a->isEnabled() ? "enabled" : "disabled",
                         a->isChecked() ? "checked" : "unchecked");
            if (QWidget* w = anyWidget(wanted))
                return QStringLiteral("hidden %1 unchecked").arg(w->isEnabled() ? "enabled" : "disabled");
            return QStringLiteral("none");
        }
        default:
            break;
    }
    QWidget* w = shownWidget(wanted);
    // A text is read from a hidden page too (the protocol log while the Module page shows).
    if (!w && r.verb == ProbeRequest::Text) w = anyWidget(wanted);
    if (!w) return r.verb == ProbeRequest::Where ? actionPlace(wanted) : QStringLiteral("none");
    switch (r.verb) {
        case ProbeRequest::Where:
            return global(w, w->rect());
        case ProbeRequest::Tab: {
            QTabBar* bar = qobject_cast<QTabBar*>(w);
            if (auto* tabs = qobject_cast<QTabWidget*>(w)) bar = tabs->tabBar();
            if (!bar || r.row >= bar->count()) return QStringLiteral("none");
            return global(bar, bar->tabRect(r.row) & bar->rect());
        }
        case ProbeRequest::Current: {
            auto* view = qobject_cast<QAbstractItemView*>(w);
            const QModelIndex at = view ? view->currentIndex() : QModelIndex();
            if (!at.isValid()) return QStringLiteral("none");
            int row = at.row();
            if (auto* tree = qobject_cast<QTreeView*>(view)) {
                row = 0;
                for (QModelIndex up = tree->indexAbove(at); up.isValid(); up = tree->indexAbove(up)) ++row;
            }
            return QStringLiteral("%1 %2").arg(row).arg(at.column());
        }
        case ProbeRequest::Item:
        case ProbeRequest::Text: {
            if (r.verb == ProbeRequest::Text && r.row < 0) return oneLine(widgetText(w));
            if (r.verb == ProbeRequest::Item) {
                if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return paragraphPlace(t, r.row);
                if (auto* t = qobject_cast<QTextEdit*>(w)) return paragraphPlace(t, r.row);
            }
            auto* view = qobject_cast<QAbstractItemView*>(w);
            const QModelIndex at = view ? shownIndex(view, r.row, r.column) : QModelIndex();
            if (!at.isValid()) return QStringLiteral("none");
            if (r.verb == ProbeRequest::Text) return oneLine(at.data().toString());
            // Only the part inside the view can be clicked.
            return global(view->viewport(), view->visualRect(at) & view->viewport()->rect());
        }
        default:
            return QStringLiteral("?");
    }
}

void TestProbe::startFromEnvironment(QObject* parent) {
    const QString path = qEnvironmentVariable("VELMORA_PROBE");
    if (path.isEmpty()) return;
    (new TestProbe(parent))->listen(path);
}

void TestProbe::listen(const QString& path) {
    auto* server = new QLocalServer(this);
    QLocalServer::removeServer(path);
    if (!server->listen(path)) {
        qWarning("VELMORA_PROBE: cannot listen on %s: %s", qPrintable(path),
                 qPrintable(server->errorString()));
        return;
    }
    connect(server, &QLocalServer::newConnection, this, [server] {
        while (QLocalSocket* s = server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, s, [s] {
                while (s->canReadLine()) {
                    const QByteArray line = s->readLine().trimmed();
                    const auto request = parseProbeRequest(line.toStdString());
                    const QString answer = request ? probeAnswer(*request) : QStringLiteral("?");
                    s->write(answer.toUtf8() + '\n');
                }
                s->flush();
            });
        }
    });
}

}  // namespace velmora::gui
