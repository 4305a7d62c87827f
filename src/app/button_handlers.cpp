// Image buttons: press and release feedback, and the click rules.
#include "app/taleforge_main.h"
#include "core/paths.h"
#include "descr/File_functions.h"
#include "scene/scene_steps.h"

namespace taleplay {
namespace {

// Loads the picture that the button's `suffix` key names, if there is one;
// anything missing leaves the button as it is, without a report. A picture
// the memory budget refuses leaves it as it is too, told once.
void showButtonPicture(TForm1& form, ImageControl& button, std::string_view suffix) {
    const std::string number = TForm1::buttonNumberOf(button);
    const std::string picture =
        keyValue(form.ruleFileOf(button), "*button" + number + std::string(suffix));
    if (picture.empty())
        return;
    const std::string path = form.game().state.dataFolder + picture;
    if (!paths::fileExists(path))
        return;
    const PictureUse use{{"Pictures", TALEPLAY_TEXT("Pictures", "button %1"), {number}}, picture};
    // Stretched to the button as it stands.
    pictureStep(form.game(), use, [&] { button.loadPicture(path); });
}

} // namespace

// Any mouse button shows the pressed picture, and the release the normal one
// again, also when no click follows (a right click runs no rules).
void TForm1::AllButtonsMouseDown(ImageControl& button, Qt::MouseButton) {
    HandlerGuard running(button);
    runEvent([&] { showButtonPicture(*this, button, "*pressedname*"); });
}

void TForm1::AllButtonsMouseUp(ImageControl& button, Qt::MouseButton) {
    HandlerGuard running(button);
    runEvent([&] { showButtonPicture(*this, button, "*name*"); });
}

// The click comes before the release, so the pressed picture stays while the
// rules run. Clicks can nest through `pause`; the button outlives any end
// screen switch that its rules start.
void TForm1::AllButtonsClick(ImageControl& button) {
    HandlerGuard running(button);
    runEvent([&] { RunClickRules(button); });
}

} // namespace taleplay
