// Test main for everything that needs a QApplication: an offscreen screen of
// 1280 x 1024 at 96 dpi, and modal windows recorded instead of shown. With
// TALEPLAY_TEST_ON_DISPLAY set, the display the environment names instead
// (an X server the test started for it).
#include "platform/system.h"
#include "playtest/offscreen.h"
#include "support/qt_support.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

namespace taleplay::testing {

std::vector<std::pair<platform::ModalKind, std::string>>& modals() {
    static std::vector<std::pair<platform::ModalKind, std::string>> seen;
    return seen;
}

int& endedCount() {
    static int n = 0;
    return n;
}

} // namespace taleplay::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!std::getenv("TALEPLAY_TEST_ON_DISPLAY"))
        taleplay::playtest::useOffscreenScreen(1280, 1024);
    QApplication app(argc, argv);
    taleplay::playtest::removeOffscreenScreenFile();
    taleplay::platform::setModalObserver(
        [](taleplay::platform::ModalKind kind, const std::string& text) {
            taleplay::testing::modals().emplace_back(kind, text);
        });
    taleplay::platform::setEndProgramHandler([] { ++taleplay::testing::endedCount(); });
    return RUN_ALL_TESTS();
}
