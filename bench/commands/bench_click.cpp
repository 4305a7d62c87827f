// bench_click [--lines N] [--rules R] [--utf8] [--clicks K]
//
// One click on the full play screen of the benchmark game (about 680
// controls), with its repaint: button 1 has R rules (30 unless told), each checking the
// answer typed in the text window below the pictures and hiding a picture
// when it is wrong, and 30 group lines that show the pictures again and
// bring them to the front, so every click changes the screen and repaints
// ten pictures. allbuttons.txt is made N lines long
// (2,000 unless told) by filler lines that no key of the click matches,
// placed first so that a reader going from the top passes them all; --utf8
// saves it as UTF-8 instead of Windows-1251. Prints the median, fastest and
// slowest of K clicks (200 unless told), each from the click to the end of
// the repaint it causes.
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "bench_game.h"
#include "bench_support.h"
#include "core/codepage.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Counts the paint events the click causes, to be sure the repaint that is
// timed did happen.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, e);
    }
};

// Windows-1251 text for "a line that no key of the click matches", so that
// the file holds Cyrillic letters and its UTF-8 copy is told apart.
const std::string kFillerText = "\xF1\xF2\xF0\xEE\xEA\xE0, \xEA\xEE\xF2\xEE\xF0\xF3\xFE "
                                "\xED\xE8 \xEE\xE4\xE8\xED \xEA\xEB\xFE\xF7 \xED\xE5 "
                                "\xED\xE0\xF5\xEE\xE4\xE8\xF2";

bool writeRules(const fs::path& dir, int lines, int rules, bool utf8) {
    std::ifstream in(dir / "allbuttons.txt", std::ios::binary);
    std::vector<std::string> buttons;
    for (std::string l; std::getline(in, l);)
        buttons.push_back(l);
    in.close();
    std::ostringstream text;
    const int filler = std::max(0, lines - int(buttons.size()) - rules - 30);
    for (int i = 0; i < filler; ++i)
        text << "*note" << i << "* " << kFillerText << " #\r\n";
    for (const std::string& l : buttons)
        text << l << "\r\n";
    for (int i = 1; i <= rules; ++i)
        text << "*button1*click*textwindow1#checktext^picture" << (i % 10 + 1) << "&visible+picture"
             << (i % 10 + 1) << "=invisible~\r\n";
    for (int i = 1; i <= 30; ++i)
        text << "*button1*clickALLBAD*picture" << (i % 10 + 1)
             << (i % 3 == 0 ? "#bringtofront^" : "#visible^") << "\r\n";
    const std::string bytes = utf8 ? taleplay::cp1251::toUtf8(text.str()) : text.str();
    std::ofstream(dir / "allbuttons.txt", std::ios::binary | std::ios::trunc) << bytes;
    std::ofstream windows(dir / "alltextwindows.txt", std::ios::binary);
    // Below the pictures, where answer boxes sit, and with a wrong answer
    // typed, so every check compares the answer with the file.
    windows << "*textwindow1*topindivision*6#5#\r\n*textwindow1*widthindivision*10#4#\r\n"
               "*textwindow1*text*Rome#\r\n*textwindow1*rightanswer*Paris#\r\n";
    return bool(windows);
}

} // namespace

int main(int argc, char** argv) {
    using namespace taleplay;
    int lines = 2000, clicks = 200, rules = 30;
    bool utf8 = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--lines" && i + 1 < argc) {
            lines = std::atoi(argv[++i]);
        } else if (a == "--rules" && i + 1 < argc) {
            rules = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--clicks" && i + 1 < argc) {
            clicks = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--utf8") {
            utf8 = true;
        } else {
            std::fprintf(stderr, "usage: bench_click [--lines N] [--rules R] [--utf8] [--clicks K]\n");
            return 2;
        }
    }
    const fs::path root = bench::makeTempFolder("taleplay-bench-click");
    const fs::path dir = root / "data_bench";
    bench::useScreen(1920, 1080);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    bench::BenchGame game;
    game.endScreen = false;
    if (!bench::writeBenchGame(dir, game).empty() || !writeRules(dir, lines, rules, utf8)) {
        std::fprintf(stderr, "bench_click: cannot write the game into %s\n", root.c_str());
        return 1;
    }
    if (::chdir(root.c_str()) != 0)
        return 1;

    TForm1 form("bench");
    TForm2 errorWindow(form);
    form.setErrorWindow(&errorWindow);
    form.showMaximisedWindow();
    while (!form.startUpDone())
        QCoreApplication::processEvents();
    form.grab();
    auto& buttons = form.game().tables.buttons;
    auto* button = buttons.empty() ? nullptr : qobject_cast<ImageControl*>(buttons[0].data());
    if (!button) {
        std::fprintf(stderr, "bench_click: the game has no button 1\n");
        return 1;
    }
    // A game's files are old when it is played; files this young are read
    // afresh at every lookup (their times cannot tell two versions written
    // within the clock's resolution apart), which is not what a player's
    // click costs.
    bench::waitUntilOlder(dir);
    PaintCounter counter;
    app.installEventFilter(&counter);
    auto click = [&] {
        const double start = bench::nowMs();
        form.AllButtonsClick(*button);
        // The repaint the click asked for, as the event loop would do it next.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        return bench::nowMs() - start;
    };
    for (int i = 0; i < 5; ++i)
        click();
    counter.paints = 0;
    std::vector<double> ms;
    for (int i = 0; i < clicks; ++i)
        ms.push_back(click());
    const bench::Spread s = bench::spreadOf(ms);
    std::printf("click with %d rules and 30 group lines, %d lines (%s), %zu controls:\n", rules,
                lines, utf8 ? "UTF-8" : "Windows-1251", form.game().host().controls().size());
    std::printf("median %.3f ms, fastest %.3f ms, slowest %.3f ms, %.1f paints a click\n", s.median,
                s.min, s.max, double(counter.paints) / clicks);
    const bool clean = form.game().messages().empty();
    fs::remove_all(root);
    return clean ? 0 : 2;
}
