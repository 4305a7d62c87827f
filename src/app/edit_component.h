#pragma once
// The components the on-screen editor works on, and what it writes for
// them: which file and keys each kind has, how one is added under the next
// free number, how its keys are taken out, and how a value it shows in its
// form (text, right answers, hint, file name, colour) is written.
#include "app/edit_document.h"

#include <QRect>
#include <QString>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace taleplay {

class Control;
class Game;

namespace editing {

class EditSession;

enum class Kind { Picture, Shape, Text, List, TextWindow, Button, LargeBackground, Video };

struct Component {
    Kind kind = Kind::Picture;
    // As click rules name it ("picture3", "text1", "video"); the large
    // background by its control's name ("FON").
    std::string target;
    std::string file;      // the description file (composed path)
    std::string stem;      // what its keys begin with ("*picture3", "*videoscreen")
    std::string otherStem; // the video's "*video" beside its screen's keys

    bool movable() const { return kind != Kind::LargeBackground; }
    // Text lines and text windows take their height from their font.
    bool sizedAcross() const { return kind != Kind::LargeBackground; }
    bool sizedDown() const {
        return kind != Kind::LargeBackground && kind != Kind::Text && kind != Kind::TextWindow;
    }
    bool operator==(const Component& o) const { return target == o.target && file == o.file; }
};

// The component a control shows, if it is one the editor works on.
std::optional<Component> componentOf(const Game& game, const Control& control);
// The component click rules call `target` on the current screen.
std::optional<Component> componentNamed(Game& game, const std::string& target);
// Its controls on the window now: one, or a text's lines.
std::vector<QWidget*> widgetsOf(Game& game, const Component& c);
// Where it stands, in the window's coordinates: its controls together.
QRect rectOf(Game& game, const Component& c);

// Takes every key of the component out of its file: lines that hold nothing
// else go, and on shared lines only its keys go.
void removeKeys(DescriptionDocument& doc, const Component& c);

// Adds a component of `kind` under the next free number at (x, y), with
// `file` as its picture where it has one; its target, or a Refused.
std::string addComponent(EditSession& session, Game& game, Kind kind, int x, int y,
                         const std::string& file);

// A value of the form: the key, as it is shown ("*picture3*name*"), and the
// lines its values go to.
struct Field {
    enum class Shape { Single, Lines };
    QString label;
    std::string key; // "*picture3*name*", or for lines the key's beginning
    Shape shape = Shape::Single;
    bool trimmed = true;             // read trimmed, so written between the blanks
    std::vector<std::string> values; // UTF-8, one for Single
};
// The fields the form shows for a component, with their values now.
std::vector<Field> fieldsOf(EditSession& session, const Component& c);
// Writes the fields' values; throws Refused for a value the file cannot hold.
void writeFields(EditSession& session, const Component& c, const std::vector<Field>& fields);
// The lines the fields will write, as shown in the form (UTF-8).
QStringList linesOf(const std::vector<Field>& fields);

// A file copied into the data folder under a name the checker finds nothing
// wrong with: Latin and Cyrillic letters, digits, '-', '_' and one '.', the
// extension in small letters. A file already there with the same bytes is
// used as it is. The name as the game writes it, UTF-8; a Refused when it
// cannot be copied.
std::string copyIntoGame(const std::string& dataFolder, const std::string& source);
std::string safeFileName(const std::string& utf8Name);

} // namespace editing
} // namespace taleplay
