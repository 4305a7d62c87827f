// The error window of the missing-file report.
#include "app/taleforge_error.h"

#include "app/taleforge_main.h"
#include "core/paths.h"
#include "platform/system.h"

namespace taleplay {

TForm2::TForm2(TForm1& mainWindow) : QDialog(&mainWindow), main_(mainWindow), host_(*this) {
    setWindowTitle(QStringLiteral("ERROR"));
    setModal(true);
    host_.setColour(5621495); // $55C6F7
    setGeometry(192, 113, 870, 500);

    Label1 = &host_.createLabel("Label1");
    FontSpec f;
    f.height = 33;
    f.bold = true;
    Label1->setFont(f);
    Label1->setGeometry(72, 24, 215, 38);
    Label1->setWordWrap(true);
    Label1->setLongWords(LongWords::Break);
    Label1->setCaption("Can't find file ");
}

void TForm2::report(const std::string& path, Halt halt) {
    if (halt == Halt::Yes)
        haltFlag_ = true;
    // Placed and sized first, the label's automatic size held back until
    // the new caption is in: so even a path of thousands of characters is
    // broken into lines once, in its final width and font, and the
    // activation's layout finds it done. The path is shown as composed, each
    // part read in its own encoding, so a folder such as "日本 語" shows as it
    // is named.
    const std::string text = "Can't find file  " + paths::shown(path);
    Label1->setAutoSize(false);
    layOut();
    Label1->setUnicodeCaption(QString::fromStdString(text));
    Label1->setAutoSize(true);
    main_.game().recordMessage(text);
    if (!platform::observeModal(platform::ModalKind::ErrorWindow, text))
        exec();
    // Closing the window of a halting report ends the program at once.
    if (haltFlag_)
        throw ProgramHalted{};
}

void TForm2::showEvent(QShowEvent* e) {
    layOut();
    QDialog::showEvent(e);
}

void TForm2::layOut() {
    // Integer divisions, from the main window's outer size.
    const QRect outer = main_.frameGeometry();
    const int w = outer.width() / 2, h = outer.height() / 2;
    move(outer.width() / 4, outer.height() / 4);
    resize(w, h);
    host_.resizeLayer();
    Label1->move(w / 10, 24);
    FontSpec f = Label1->font();
    f.setSize(platform::screenSize().height() / 45);
    Label1->setFont(f);
    Label1->resize((w / 10) * 8, Label1->height());
    Label1->setUnicodeCaption(Label1->text()); // wrap again in the new width
}

} // namespace taleplay
