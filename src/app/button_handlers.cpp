// Image buttons: press and release feedback, and the click rules.
#include "app/taleforge_main.h"
#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"
#include "platform/paths.h"

namespace taleplay {
namespace {

// The description file that holds a button's pictures and rules, and the
// button's number as text. End-screen buttons ("URANazhimalka" + n) use the
// same keys in the end pictures file of the game's outcome.
struct ButtonSource {
    std::string file;
    std::string number;
};

ButtonSource sourceOf(const TForm1& form, const ImageControl& button) {
    const std::string& name = button.name();
    ButtonSource source;
    if (name.find("URANazhimalka") != std::string::npos)
        source.file = form.state.dataFolder +
                      (form.state.victory ? "victorypictures.txt" : "lostpictures.txt");
    else
        source.file = form.state.dataFolder + "allbuttons.txt";
    // Kept as text: "Nazhimalka12" gives "12", "URANazhimalka3" gives "3".
    source.number = replaceAll("URA", "", replaceAll("Nazhimalka", "", name));
    return source;
}

// Loads the picture that the button's `suffix` key names, if there is one;
// anything missing leaves the button as it is, without a report.
void showButtonPicture(TForm1& form, ImageControl& button, std::string_view suffix) {
    const ButtonSource source = sourceOf(form, button);
    const std::string picture =
        keyValue(source.file, "*button" + source.number + std::string(suffix));
    if (picture.empty())
        return;
    const std::string path = form.state.dataFolder + picture;
    if (paths::fileExists(path))
        button.loadPicture(path); // stretched to the button as it stands
}

} // namespace

// Any mouse button shows the pressed picture, and the release the normal one
// again, also when no click follows (a right click runs no rules).
void TForm1::AllButtonsMouseDown(ImageControl& button, Qt::MouseButton) {
    runEvent([&] { showButtonPicture(*this, button, "*pressedname*"); });
}

void TForm1::AllButtonsMouseUp(ImageControl& button, Qt::MouseButton) {
    runEvent([&] { showButtonPicture(*this, button, "*name*"); });
}

// FIXME: the click rules need the command language, which the program does
// not have yet; a click only records its button.
void TForm1::AllButtonsClick(ImageControl& button) {
    state.clickedControl = &button;
}

} // namespace taleplay
