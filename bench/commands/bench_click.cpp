// One click that runs 30 rules and 30 group lines of a 2,000-line
// allbuttons.txt, on 10 pictures and a text window: prints the median,
// fastest and slowest time a click takes (the rules hold no pause).
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "playtest/offscreen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    using namespace taleplay;
    const int clicks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    namespace fs = std::filesystem;
    const fs::path root =
        fs::temp_directory_path() / ("taleplay-bench-click-" + std::to_string(::getpid()));
    fs::create_directories(root / "data_bench");
    {
        std::ofstream b(root / "data_bench" / "allbuttons.txt", std::ios::binary);
        // Filler first, so every lookup scans most of the file.
        for (int i = 0; i < 1940; ++i)
            b << "*note" << i
              << "* a line that no key of the click matches, of ordinary length #\r\n";
        for (int i = 1; i <= 30; ++i)
            b << "*button1*click*textwindow1#checktext^picture" << (i % 10 + 1)
              << "&visible+picture" << (i % 10 + 1) << "=invisible~\r\n";
        for (int i = 1; i <= 30; ++i)
            b << "*button1*clickALLBAD*picture" << (i % 10 + 1) << "#bringtofront^\r\n";
        std::ofstream(root / "data_bench" / "alltextwindows.txt", std::ios::binary)
            << "*textwindow1*text*#\r\n*textwindow1*rightanswer*Paris#\r\n";
    }
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
    for (int i = 0; i < 10; ++i) {
        auto& image = form.game().host().createImage("RIS" + std::to_string(i));
        form.game().tables.pictures.emplace_back(&image);
    }
    auto& button = form.game().host().createImage("Nazhimalka1");
    form.game().tables.buttons = {&button};

    std::vector<double> ms;
    for (int i = 0; i < clicks; ++i) {
        QElapsedTimer t;
        t.start();
        form.AllButtonsClick(button);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("click with 30 rules and 30 group lines on 2,000 lines, %d clicks:\n", clicks);
    std::printf("median %.2f ms, fastest %.2f ms, slowest %.2f ms\n", ms[ms.size() / 2], ms.front(),
                ms.back());
    fs::remove_all(root);
    return form.game().messages().empty() ? 0 : 2;
}
