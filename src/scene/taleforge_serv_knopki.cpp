#include "scene/taleforge_serv_knopki.h"

#include "app/taleforge_main.h"
#include "descr/File_functions.h"
#include "platform/paths.h"
#include "scene/scene_steps.h"

namespace taleplay {
namespace {

constexpr int kButtonCount = 30;

} // namespace

void BuildButtons(TForm1& form) {
    BuildImageButtons(form, form.state.dataFolder + "allbuttons.txt", ButtonSet::PlayScreen);
}

void BuildImageButtons(TForm1& form, const std::string& file, ButtonSet set) {
    const bool end = set == ButtonSet::EndScreen;
    auto& table = end ? form.tables.endButtons : form.tables.buttons;
    for (int n = 1; n <= kButtonCount; ++n) {
        const std::string stem = numberedKey("*button", n, "");
        const auto at = placeNumberedPicture(form, file, stem);
        if (!at)
            continue; // a missing number does not end the buttons
        // Whether its file exists is asked only when the button is wired.
        const std::string pressedName = keyValue(file, stem + "*pressedname*");
        table.resize(n);

        // The handlers take the number back from the name: nothing else may
        // be added to it.
        ImageControl& button =
            form.host().createImage(numberedKey(end ? "URANazhimalka" : "Nazhimalka", n, ""));
        table[n - 1] = &button;
        button.setStretch(true);
        button.setAutoSize(false);
        button.setTransparent(at->transparent);
        button.setGeometry(at->left, at->top, at->size.width, at->size.height);
        button.loadPicture(at->path);
        button.setHandCursor(true);
        // Press feedback only for a pressed picture that is there now.
        if (!pressedName.empty() && paths::fileExists(form.state.dataFolder + pressedName)) {
            button.onMouseDown = [&form](ImageControl& b, Qt::MouseButton m) {
                form.AllButtonsMouseDown(b, m);
            };
            button.onMouseUp = [&form](ImageControl& b, Qt::MouseButton m) {
                form.AllButtonsMouseUp(b, m);
            };
        }
        button.onClick = [&form](ImageControl& b) { form.AllButtonsClick(b); };
        if (at->hidden)
            button.hide();
    }
}

} // namespace taleplay
