#pragma once
// The key handling of every address box and cell editor: letters are upper-cased;
// only Backspace, 0..9 and A..F reach the box; Enter and Escape go to the owner; Tab
// and Shift+Tab move the focus on as from any other control.

#include <QLineEdit>
#include <QObject>
#include <functional>

namespace velmora::views {

class HexKeyFilter : public QObject {
    Q_OBJECT
public:
    // `onEnter` / `onEscape` may be empty: the key is then dropped.
    HexKeyFilter(QLineEdit* box, std::function<void()> onEnter,
                 std::function<void()> onEscape = {});

    // Tab and Shift+Tab do nothing in the box: for an editor open over a grid cell,
    // which is left by Enter or Escape only.
    void keepTab() { keepTab_ = true; }

    // Whether `text` is one hexadecimal digit (either case).
    static bool isHexDigit(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* box_;
    std::function<void()> onEnter_;
    std::function<void()> onEscape_;
    bool keepTab_ = false;
};

// The message a hexadecimal conversion of `text` fails with.
QString conversionError(const QString& text);

}  // namespace velmora::views
