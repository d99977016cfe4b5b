#pragma once
// The key handling of every address box and cell editor: letters are upper-cased;
// only Backspace, 0..9 and A..F reach the box; Enter and Escape go to the owner.

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

    // Whether `text` is one hexadecimal digit (either case).
    static bool isHexDigit(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* box_;
    std::function<void()> onEnter_;
    std::function<void()> onEscape_;
};

// The message a hexadecimal conversion of `text` fails with.
QString conversionError(const QString& text);

}  // namespace velmora::views
