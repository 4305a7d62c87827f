#pragma once
// What screen readers are told about the controls we paint ourselves: a role
// for each kind (a picture that takes clicks is a button) and the name the
// widget is given. Lists and edit boxes are Qt's own and described by Qt.
#include <QAccessible>
#include <QString>

class QWidget;

namespace taleplay {

// Registers our controls with Qt's accessibility; once is enough, and again
// does nothing. The control host does it when it is made.
void installControlAccessibility();

// The role and name of a widget as the accessibility tree has them.
struct AccessibleFacts {
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
};
AccessibleFacts accessibleFactsOf(QWidget* widget);

// A role as one lower-case word ("button", "statictext", "editabletext",
// "list", "graphic", "animation", ...), for the driver's dump.
QString roleWord(QAccessible::Role role);

} // namespace taleplay
