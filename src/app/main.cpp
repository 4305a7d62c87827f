// Taleplay: plays the game in data_NAME/ of the current folder, NAME being
// the name the program was started under.
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    taleplay::TForm1 form(argc > 0 ? argv[0] : "taleplay");
    taleplay::TForm2 errorWindow(form);
    form.setErrorWindow(&errorWindow);
    form.showMaximisedWindow();
    return app.exec();
}
