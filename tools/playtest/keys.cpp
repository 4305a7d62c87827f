// Key names and their delivery.
#include "playtest/keys.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <array>

namespace taleplay::playtest {

namespace {

std::optional<KeyStroke> parsePlainKey(const std::string& name) {
    struct Named {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
    };
    static constexpr std::array<Named, 12> named{{
        {"Tab", Qt::Key_Tab, Qt::NoModifier, "\t"},
        {"Backtab", Qt::Key_Backtab, Qt::ShiftModifier, ""},
        {"Return", Qt::Key_Return, Qt::NoModifier, "\r"},
        {"Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r"},
        {"Escape", Qt::Key_Escape, Qt::NoModifier, "\x1b"},
        {"Space", Qt::Key_Space, Qt::NoModifier, " "},
        {"Backspace", Qt::Key_Backspace, Qt::NoModifier, "\b"},
        {"Up", Qt::Key_Up, Qt::NoModifier, ""},
        {"Down", Qt::Key_Down, Qt::NoModifier, ""},
        {"Left", Qt::Key_Left, Qt::NoModifier, ""},
        {"Right", Qt::Key_Right, Qt::NoModifier, ""},
        {"Delete", Qt::Key_Delete, Qt::NoModifier, "\x7f"},
    }};
    for (const Named& n : named) {
        if (name == n.name)
            return KeyStroke{n.key, n.modifiers, QString::fromLatin1(n.text)};
    }
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
        int n = 0;
        for (std::size_t i = 1; i < name.size(); ++i)
            n = name[i] >= '0' && name[i] <= '9' ? n * 10 + (name[i] - '0') : 0;
        if (n >= 1 && n <= 12 && name[1] != '0')
            return KeyStroke{static_cast<Qt::Key>(Qt::Key_F1 + n - 1), Qt::NoModifier, {}};
    }
    if (name.size() == 1) {
        const char c = name[0];
        if (c >= '0' && c <= '9')
            return KeyStroke{static_cast<Qt::Key>(Qt::Key_0 + (c - '0')), Qt::NoModifier,
                             QString(QChar(c))};
        if (c >= 'a' && c <= 'z')
            return KeyStroke{static_cast<Qt::Key>(Qt::Key_A + (c - 'a')), Qt::NoModifier,
                             QString(QChar(c))};
        if (c >= 'A' && c <= 'Z')
            return KeyStroke{static_cast<Qt::Key>(Qt::Key_A + (c - 'A')), Qt::ShiftModifier,
                             QString(QChar(c))};
    }
    // A letter of any other alphabet (a Cyrillic answer), as a keyboard
    // laid out for it types it.
    const QString letter = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    if (letter.size() == 1 && letter[0].isLetter() && letter[0].unicode() > 0x7F)
        return KeyStroke{static_cast<Qt::Key>(letter[0].toUpper().unicode()),
                         letter[0].isUpper() ? Qt::ShiftModifier : Qt::NoModifier, letter};
    return std::nullopt;
}

} // namespace

std::optional<KeyStroke> parseKey(const std::string& spec) {
    Qt::KeyboardModifiers held;
    std::string name = spec;
    // "Ctrl+Shift+Z": the modifiers before the key, each followed by '+'.
    for (std::size_t plus = name.find('+'); plus != std::string::npos && plus + 1 < name.size();
         plus = name.find('+')) {
        const std::string modifier = name.substr(0, plus);
        if (modifier == "Ctrl")
            held |= Qt::ControlModifier;
        else if (modifier == "Shift")
            held |= Qt::ShiftModifier;
        else if (modifier == "Alt")
            held |= Qt::AltModifier;
        else
            return std::nullopt;
        name = name.substr(plus + 1);
    }
    std::optional<KeyStroke> stroke = parsePlainKey(name);
    if (!stroke || held == Qt::NoModifier)
        return stroke;
    // "Ctrl+Z" is Ctrl and the Z key, not a capital Z: a letter's own Shift
    // is not held here.
    const bool letter = stroke->key >= Qt::Key_A && stroke->key <= Qt::Key_Z;
    stroke->modifiers = letter ? held : stroke->modifiers | held;
    // A key held with Ctrl or Alt types nothing; with Shift a capital.
    if (held & (Qt::ControlModifier | Qt::AltModifier))
        stroke->text.clear();
    else
        stroke->text = stroke->text.toUpper();
    return stroke;
}

void pressKey(QWidget& window, const KeyStroke& stroke) {
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != &window)
        target = window.focusWidget();
    if (!target)
        target = &window;
    QTest::sendKeyEvent(QTest::Press, target, stroke.key, stroke.text, stroke.modifiers);
    // The press may have moved the focus (Tab) or removed the widget (a
    // rebuild): the release goes where the focus is now, as a person's does.
    QWidget* now = QApplication::focusWidget();
    if (!now || now->window() != &window)
        now = window.focusWidget();
    QTest::sendKeyEvent(QTest::Release, now ? now : &window, stroke.key, stroke.text,
                        stroke.modifiers);
}

} // namespace taleplay::playtest
