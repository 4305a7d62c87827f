// Long sessions, replayed quickly: whether time and memory stay flat.
//
// bench_soak --rebuilds N
//   author mode's F5 pressed N times on the demo game through the playtest
//   driver's command loop (an author's script, on-screen editing); prints the
//   median rebuild of the first 50 and of the last 50, and the resident
//   memory after the 50th rebuild and at the end.
// bench_soak --clicks N [--videos] [--unbounded]
//   N clicks of a button, as a lesson's clicks come, the event loop running
//   for a moment after each (10 ms; 200 ms of the video playing); with
//   --videos the button plays a video (the demo's) each time, otherwise it
//   changes a text's colour. Prints the
//   resident memory after the first 100 clicks and at the end, and the
//   growth per 1,000 clicks between them.
// bench_soak --plays N [--unbounded]
//   the video played N times to its end; prints the median number of frames
//   the video window painted per play, which a decoder starved of memory
//   would lower.
// --unbounded leaves the C library's arenas as glibc makes them, without the
// player's bound, to compare.
#include "app/author_mode.h"
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "bench_support.h"
#include "platform/controls.h"
#include "platform/system.h"
#include "playtest/script.h"

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace taleplay;
namespace fs = std::filesystem;

double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

// Processor time of this thread: the rebuild's own work, which other
// programs on a shared machine disturb far less than the time on the clock.
double threadMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// A small game: a picture, two text lines, a text window, the demo's video
// (hidden until played) and two buttons, one playing the video, one
// changing a text's colour.
void writeGame(const fs::path& data) {
    fs::create_directories(data);
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    picture.save(QString::fromStdString((data / "a.png").string()), "PNG");
    picture.fill(Qt::yellow);
    picture.save(QString::fromStdString((data / "b.png").string()), "PNG");
    fs::copy_file(fs::path(TALEPLAY_DEMO_FOLDER) / "comet.avi", data / "comet.avi",
                  fs::copy_options::overwrite_existing);
    write(data / "allbackpictures.txt", "*screencolor*clSkyBlue#\r\n"
                                        "*picture1*name*a.png#\r\n"
                                        "*picture1*leftinpixels*400#\r\n"
                                        "*video*comet.avi#\r\n"
                                        "*videoscreen*leftinpixels*100#\r\n"
                                        "*videoscreen*topinpixels*300#\r\n"
                                        "*videoscreenvisible*no#\r\n");
    write(data / "allbacktexts.txt", "*text1*string1*A long session#\r\n"
                                     "*text1*string2*stays flat#\r\n");
    write(data / "alltextwindows.txt", "*textwindow1*text*#\r\n*textwindow1*rightanswer*yes#\r\n");
    write(data / "allbuttons.txt", "*button1*name*b.png#\r\n"
                                   "*button1*leftinpixels*20#\r\n"
                                   "*button1*click*#playvideo comet.avi^\r\n"
                                   "*button2*name*b.png#\r\n"
                                   "*button2*leftinpixels*120#\r\n"
                                   "*button2*click*text1#textcolor clRed^\r\n");
}

// Lets the event loop run for `ms`, as the player's own does between clicks.
void runLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

constexpr int kPlayMs = 4000;
constexpr int kClickMs = 10, kVideoClickMs = 200;

// The play screen's button `i` (0 plays the video, 1 recolours a text).
QWidget* buttonOf(TForm1& form, std::size_t i) {
    const auto& buttons = form.game().tables.buttons;
    return i < buttons.size() ? buttons[i].data() : nullptr;
}

int rebuilds(TForm1& form, const fs::path& root, int n) {
    new AuthorMode(form, WatchFiles::No); // owned by the window
    std::ostringstream out;
    playtest::Runner runner(form, root.string(), out);
    std::vector<double> ms, cpu;
    double after50 = 0;
    for (int i = 1; i <= n; ++i) {
        const double start = bench::nowMs(), startCpu = threadMs();
        runner.runLine("key F5", "soak:" + std::to_string(i));
        ms.push_back(bench::nowMs() - start);
        cpu.push_back(threadMs() - startCpu);
        if (i == 50)
            after50 = residentMiB();
    }
    if (runner.failed() > 0 || n < 100) {
        std::fprintf(stderr, "bench_soak: %s\n", out.str().c_str());
        return 1;
    }
    auto median = [](const std::vector<double>& v, std::size_t from) {
        return bench::spreadOf({v.begin() + from, v.begin() + from + 50}).median;
    };
    if (std::getenv("SOAK_TRACE"))
        for (std::size_t i = 0; i + 50 <= ms.size(); i += 50)
            std::printf("rebuilds %zu-%zu median %.2f ms, processor %.2f ms\n", i + 1, i + 50,
                        median(ms, i), median(cpu, i));
    const double end = residentMiB();
    std::printf("rebuilds %d\n", n);
    std::printf("first 50 rebuilds median %.2f ms\n", median(ms, 0));
    std::printf("last 50 rebuilds median %.2f ms\n", median(ms, ms.size() - 50));
    std::printf("first 50 rebuilds processor median %.2f ms\n", median(cpu, 0));
    std::printf("last 50 rebuilds processor median %.2f ms\n", median(cpu, cpu.size() - 50));
    std::printf("memory after 50 rebuilds %.1f MiB\n", after50);
    std::printf("memory at the end %.1f MiB\n", end);
    std::printf("memory growth %.1f MiB\n", end - after50);
    return 0;
}

int clicks(TForm1& form, int n, bool videos) {
    QWidget* w = buttonOf(form, videos ? 0 : 1);
    if (!w || n <= 100) {
        std::fprintf(stderr, "bench_soak: no button to click, or fewer than 101 clicks\n");
        return 1;
    }
    double warm = 0;
    const double start = bench::nowMs();
    for (int i = 1; i <= n; ++i) {
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
        // A video plays for a moment before the next click restarts it.
        runLoop(videos ? kVideoClickMs : kClickMs);
        if (i == 100)
            warm = residentMiB();
    }
    const double seconds = (bench::nowMs() - start) / 1000.0;
    const double end = residentMiB();
    std::printf("clicks %d%s, %.1f s\n", n, videos ? " playing a video" : "", seconds);
    std::printf("memory after 100 clicks %.1f MiB\n", warm);
    std::printf("memory at the end %.1f MiB\n", end);
    std::printf("growth per 1000 clicks %.2f MiB\n", (end - warm) * 1000.0 / (n - 100));
    return 0;
}

// Counts the paints of one widget.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, e);
    }
};

int plays(TForm1& form, int n) {
    QWidget* w = buttonOf(form, 0);
    Control* screen = form.game().host().find("VideoWindow1");
    if (!w || !screen)
        return 1;
    PaintCounter counter;
    screen->widget()->installEventFilter(&counter);
    std::vector<double> frames;
    for (int i = 0; i < n; ++i) {
        counter.paints = 0;
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
        // The demo's video lasts under three seconds; it is played out.
        runLoop(kPlayMs);
        frames.push_back(counter.paints);
    }
    const auto spread = bench::spreadOf(frames);
    std::printf("plays %d\n", n);
    std::printf("frames painted per play median %.0f, fewest %.0f\n", spread.median, spread.min);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int rebuildCount = 0, clickCount = 0, playCount = 0;
    bool videos = false, unbounded = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--rebuilds") && i + 1 < argc)
            rebuildCount = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--clicks") && i + 1 < argc)
            clickCount = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--plays") && i + 1 < argc)
            playCount = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--videos"))
            videos = true;
        else if (!std::strcmp(argv[i], "--unbounded"))
            unbounded = true;
        else {
            std::fprintf(stderr, "usage: bench_soak --rebuilds N | --clicks N [--videos] | "
                                 "--plays N [--unbounded]\n");
            return 2;
        }
    }
    if (!unbounded)
        platform::boundAllocatorArenas();
    const fs::path root =
        fs::temp_directory_path() / ("taleplay-bench-soak-" + std::to_string(::getpid()));
    fs::create_directories(root);
    if (rebuildCount > 0)
        fs::copy(TALEPLAY_DEMO_FOLDER, root / "data_soak", fs::copy_options::recursive);
    else
        writeGame(root / "data_soak");
    bench::waitUntilOlder(root / "data_soak");
    if (!bench::useScreen(1280, 1024) || ::chdir(root.c_str()) != 0)
        return 1;
    int qtArgc = 1;
    char name[] = "soak";
    char* qtArgv[] = {name, nullptr};
    QApplication app(qtArgc, qtArgv);
    int status = 0;
    {
        TForm1 form("soak");
        TForm2 errorWindow(form);
        form.setErrorWindow(&errorWindow);
        form.showMaximisedWindow();
        while (!form.startUpDone())
            platform::processEvents();
        platform::deleteDeferred();
        status = rebuildCount > 0 ? rebuilds(form, root, rebuildCount)
                 : clickCount > 0 ? clicks(form, clickCount, videos)
                 : playCount > 0  ? plays(form, playCount)
                                  : 2;
    }
    std::error_code error;
    fs::remove_all(root, error);
    return status;
}
