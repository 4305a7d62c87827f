#pragma once
// Key presses as a person makes them, for the driver's `key` command.
#include <QString>
#include <Qt>
#include <optional>
#include <string>

class QWidget;

namespace taleplay::playtest {

struct KeyStroke {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text; // what the key types
};

// F1 to F12, Tab, Backtab, Return, Enter, Escape, Space, Backspace, Delete,
// Up, Down, Left, Right, or one letter or digit (a capital letter comes with
// Shift; letters of other alphabets, such as Cyrillic, too), after any of
// "Ctrl+", "Shift+" and "Alt+" ("Ctrl+Shift+Z"). Nothing for any other name.
std::optional<KeyStroke> parseKey(const std::string& name);

// Presses and releases the key on the widget of `window` that has the
// keyboard focus, or on the window itself when none has.
void pressKey(QWidget& window, const KeyStroke& stroke);

} // namespace taleplay::playtest
