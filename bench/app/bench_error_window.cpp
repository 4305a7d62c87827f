// How long the missing-file report of a very long name keeps the program
// waiting before its window is shown and painted: a missing picture named by
// 30,000 characters (one word, or words of eight letters), and the same name
// given to `playvideo`. After one report of a short name (the window's first
// showing costs the same for any name), prints the median time from the
// report to the painted window of three reports of each, and exits 3 when
// one takes 100 ms or more.
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "commands/taleforge_serv_serv.h"
#include "playtest/offscreen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A name of `length` characters: one long word, or words of eight letters;
// each `run` gets a name of its own, so nothing laid out before is reused.
std::string longName(std::size_t length, bool blanks, int run) {
    std::string name = std::to_string(run);
    while (name.size() < length)
        name += blanks && name.size() % 9 == 8 ? ' ' : static_cast<char>('a' + name.size() % 26);
    return name + ".png";
}

} // namespace

int main(int argc, char** argv) {
    using namespace taleplay;
    const std::size_t length = argc > 1 ? std::stoul(argv[1]) : 30000;
    namespace fs = std::filesystem;
    const fs::path root =
        fs::temp_directory_path() / ("taleplay-bench-report-" + std::to_string(::getpid()));
    fs::create_directories(root / "data_bench");
    playtest::useOffscreenScreen(1280, 1024);
    if (::chdir(root.c_str()) != 0)
        return 1;
    int qtArgc = 1;
    char name[] = "bench";
    char* qtArgv[] = {name, nullptr};
    QApplication app(qtArgc, qtArgv);
    playtest::removeOffscreenScreenFile();
    TForm1 form("bench");
    TForm2 errorWindow(form);
    form.setErrorWindow(&errorWindow);
    form.showMaximisedWindow();
    while (!form.startUpDone())
        QCoreApplication::processEvents();

    // The window is shown for real: once it has been painted, it closes.
    auto once = [&](auto report) {
        QElapsedTimer clock;
        QTimer::singleShot(0, &errorWindow, [&] {
            errorWindow.grab();
            errorWindow.close();
        });
        clock.start();
        report();
        return clock.nsecsElapsed() / 1e6;
    };
    once([&] { MissingFileReport(form.game(), "short.png", Halt::No); });
    double worst = 0;
    auto measure = [&](const std::string& what, auto report) {
        std::vector<double> ms;
        for (int run = 0; run < 3; ++run)
            ms.push_back(once([&] { report(run); }));
        std::sort(ms.begin(), ms.end());
        worst = std::max(worst, ms[1]);
        const int lineHeight = QFontMetrics(toQFont(errorWindow.label().font())).height();
        std::printf("%-48s %8.1f ms, %d lines\n", what.c_str(), ms[1],
                    errorWindow.label().height() / std::max(1, lineHeight));
    };
    for (const bool blanks : {false, true}) {
        const std::string label =
            std::to_string(length) + (blanks ? " characters with blanks" : " characters");
        measure("missing picture, " + label, [&](int run) {
            MissingFileReport(form.game(), longName(length, blanks, run), Halt::No);
        });
        measure("playvideo, " + label, [&](int run) {
            const std::string command = "playvideo " + longName(length, blanks, run);
            form.runEvent([&] { RunCommand(form.game(), {}, command); });
        });
    }
    fs::remove_all(root);
    return worst < 100 ? 0 : 3;
}
