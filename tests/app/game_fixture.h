#pragma once
// Starts the real main window on a game folder of the test's own.
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "support/qt_support.h"

#include <QElapsedTimer>
#include <QImage>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace taleplay::testing {

struct TestGame {
    TempFolder dir;
    std::unique_ptr<TForm1> form;
    TForm2* errorWindow = nullptr; // owned by the form

    // Starts the program as if `startedAs` had been run in the test's folder,
    // or in a folder `in` inside it.
    TForm1& start(const std::string& startedAs = "game", const std::string& in = "") {
        modals().clear();
        endedCount() = 0;
        EXPECT_EQ(::chdir((in.empty() ? dir.path() : dir.path() / in).c_str()), 0);
        form = std::make_unique<TForm1>(startedAs);
        errorWindow = new TForm2(*form);
        form->setErrorWindow(errorWindow);
        form->showMaximisedWindow();
        QElapsedTimer clock;
        clock.start();
        while (!form->startUpDone() && clock.elapsed() < 10000)
            platform::processEvents();
        EXPECT_TRUE(form->startUpDone());
        return *form;
    }

    // A plain picture of one colour in the data folder, saved by its
    // extension's encoder; folders on the way are made.
    void picture(const std::string& name, int w, int h, QColor colour) const {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        const std::filesystem::path path = dir.path() / "data_game" / name;
        std::filesystem::create_directories(path.parent_path());
        ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
    }

    ~TestGame() {
        form.reset();
        if (::chdir("/") != 0) {
        }
    }
};

} // namespace taleplay::testing
