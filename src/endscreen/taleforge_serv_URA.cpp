#include "endscreen/taleforge_serv_URA.h"

#include "app/taleforge_main.h"
#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"
#include "descr/colour_values.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "scene/sound_video.h"
#include "scene/taleforge_serv_backpic.h"
#include "scene/taleforge_serv_knopki.h"
#include "scene/taleforge_serv_nadpisi.h"

namespace taleplay {

std::string ResultFileName(const std::string& programFileName) {
    return replaceAll(".exe", "", "mark for " + programFileName + ".txt");
}

void WriteResultFile(const TForm1& form) {
    // A relative name: the file lies in the current folder, beside the data
    // folder. Written whole or not at all, so a crash or a full disk never
    // leaves a result that reads as another mark.
    files::writeFileAtomically(cp1251::toUtf8(ResultFileName(form.state.programFileName)),
                               form.state.victory ? "5\r\n" : "2\r\n");
}

void BuildEndScreen(TForm1& form) {
    const std::string& pictures = form.state.endPicturesFile;
    const PictureScreen screen{pictures, "ura", /*largeBackgroundKeyAnyCase=*/true};
    BuildBackgroundTiles(form, screen);
    BuildLargeBackground(form, screen);
    BuildFrames(form, screen);
    BuildPictures(form, screen);
    BuildCorners(form, screen);
    // 25 texts, the label table from entry 0, and no narrowing at the right
    // edge: an end-screen line may run past it.
    BuildTextLines(form, TextLineSource{form.state.endTextsFile, "uraTLine", 25, false});
    BuildImageButtons(form, pictures, ButtonSet::EndScreen);
    DeclareSound(form, pictures);
    DeclareEndVideo(form, pictures);
}

void TForm1::ShowEndScreen() {
    Control* clicked = controlOf(state.clickedControl.data());

    // 1, 2: the video stops and the result is written before anything of
    // the play screen goes; a failure to write leaves the game where it is.
    FilterGraph1->stop();
    FilterGraph1->setActive(false);
    if (VideoWindow1->isVisible())
        VideoWindow1->hide();
    WriteResultFile(*this);

    // 3
    state.endPicturesFile =
        state.dataFolder + (state.victory ? "victorypictures.txt" : "lostpictures.txt");
    state.endTextsFile = state.dataFolder + (state.victory ? "victorytexts.txt" : "losttexts.txt");

    // 4: from the last control to the first. A button whose click is still
    // being handled (clicks nest through `pause`) leaves the window now and
    // is deleted once its handling has returned.
    const std::vector<Control*> all = host().controls();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        Control* c = *it;
        if (c == ImageServant || c == LabelServant || c == VideoWindow1 || c == clicked)
            continue;
        host().destroy(*c);
    }
    // No play-screen number may name something afterwards: the tables the
    // end screen fills start empty, the others no longer name anything.
    // The button table stays, so the kept clicked button is still found.
    tables.pictures.clear();
    tables.shapes.clear();
    tables.labels.clear();
    tables.texts.clear();
    tables.lists.clear();
    tables.textWindows.clear();
    tables.backgroundTiles.clear();
    tables.largeBackground.clear();
    tables.frames.clear();
    tables.corners.clear();

    // 5, 6
    VideoWindow1->hide();
    if (clicked)
        clicked->widget()->hide();

    // 7: without a colour of its own the end screen keeps the play screen's.
    const std::string colour = keyValue(state.endPicturesFile, "*screencolor*");
    if (!colour.empty())
        host().setColour(convertColour(colour));

    // 8
    BuildEndScreen(*this);
}

} // namespace taleplay
