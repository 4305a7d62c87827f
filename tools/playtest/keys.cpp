// Key names and their delivery.
#include "playtest/keys.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <array>

namespace taleplay::playtest {

std::optional<KeyStroke> parseKey(const std::string& name) {
    struct Named {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
    };
    static constexpr std::array<Named, 11> named{{
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
    return std::nullopt;
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
