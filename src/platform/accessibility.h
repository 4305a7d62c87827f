#pragma once
// What screen readers are told about the controls we paint ourselves: a role
// for each kind (a picture that takes clicks is a button) and the name the
// widget is given. Lists and edit boxes are Qt's own and described by Qt.
// The window of a game screen lists its controls in reading order, without
// those that are decoration, and speaks announcements.
#include <QAccessible>
#include <QString>
#include <vector>

class QWidget;

namespace taleplay {

class ControlHost;

// Registers our controls with Qt's accessibility; once is enough, and again
// does nothing. The control host does it when it is made.
void installControlAccessibility();

// Makes `host`'s window a screen for assistive technology: its children are
// the host's presented controls (Control::presence), however they are
// nested in layers, in reading order. The host does it when it is made, and undoes it when it goes.
void presentScreen(ControlHost& host);
void forgetScreen(ControlHost& host);
// Keeps a widget of the window that is not a control (the focus ring) from
// assistive technology; the window's other widgets (author mode's inspector)
// follow its controls among its children.
void keepFromAssistiveTechnology(QWidget& widget);
// What the screen presents may have changed (controls made, destroyed,
// moved, presented or silenced): its children are worked out again when next
// asked for.
void screenChanged(QWidget& window);

// Sorts widgets of `window` as a reader reads them: top to bottom, and left
// to right within a line (widgets whose tops are closer than half the
// smaller one's height share a line).
void sortInReadingOrder(std::vector<QWidget*>& widgets, const QWidget& window);

// Has screen readers speak `text` without moving the focus: a notification
// of the window shows, named by the text (Orca says "notification" and the
// text). Each announcement is an object of its own, so a reader that looks
// at one after the next has come still finds its own text.
void announce(QWidget& window, const QString& text);

// The role and name of a widget as the accessibility tree has them.
struct AccessibleFacts {
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
};
AccessibleFacts accessibleFactsOf(QWidget* widget);

// A role as one lower-case word ("button", "statictext", "editabletext",
// "list", "graphic", "animation", ..., "none" for decoration), for the
// driver's dump.
QString roleWord(QAccessible::Role role);

} // namespace taleplay
