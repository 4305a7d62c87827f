#include "game_fixture.h"
#include "scene/sound_video.h"
#include "support/media_fixtures.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

// Lets the media pipeline run for a while, as the event loop would.
void runFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        platform::processEvents();
}

struct MediaGame : TestGame {
    MediaGame() {
        std::filesystem::create_directories(dir.path() / "data_game");
        taleplay::testing::writeMjpegAvi(dir.str() + "/data_game/clip.avi", 640, 480, 20, 10);
        taleplay::testing::writeWav(dir.str() + "/data_game/one.wav", 1500);
        taleplay::testing::writeWav(dir.str() + "/data_game/two.wav", 1500, 880);
    }
    std::string data() const { return dir.str() + "/data_game/"; }
};

} // namespace

TEST(PlayVideo, ZeroSidesComeFromTheVideoKeepingCentring) {
    struct Row {
        QRect before;
        QRect after;
    } rows[] = {
        // 320 x 0, centred on 1280 x 1024: height from the proportions, top re-centred.
        {{480, 512, 320, 0}, {480, 392, 320, 240}},
        // 0 x 0 at the corner, not centred: the video's own size, left where it was.
        {{0, 0, 0, 0}, {0, 0, 640, 480}},
        // 0 x 240, left 5 pixels off the centre: counts as centred.
        {{475 + 5, 100, 0, 240}, {480, 100, 320, 240}},
        // ... 7 pixels off does not.
        {{640 + 7, 100, 0, 240}, {647, 100, 320, 240}},
        // Both sides given: never resized.
        {{10, 10, 100, 50}, {10, 10, 100, 50}},
    };
    MediaGame g;
    TForm1& form = g.start();
    for (const auto& r : rows) {
        form.game().VideoWindow1->setGeometry(r.before);
        form.game().state.videoFile = g.data() + "clip.avi";
        form.game().PlayVideo();
        EXPECT_EQ(form.game().VideoWindow1->geometry(), r.after)
            << r.before.x() << "," << r.before.width();
        EXPECT_TRUE(form.game().VideoWindow1->isVisible());
    }
}

TEST(PlayVideo, PlaysFramesIntoTheWindowAndRestartsFromTheBeginning) {
    MediaGame g;
    TForm1& form = g.start();
    form.game().VideoWindow1->setGeometry(0, 0, 320, 240);
    form.game().state.videoFile = g.data() + "clip.avi";
    form.game().PlayVideo();
    runFor(1200);
    EXPECT_TRUE(form.game().FilterGraph1->playing());
    EXPECT_TRUE(form.game().VideoWindow1->playing());
    const qint64 later = form.game().FilterGraph1->position();
    EXPECT_GT(later, 500);
    // The frames are painted: later frames of the clip are bluer than red.
    const QImage shot = form.grab(QRect(0, 0, 320, 240)).toImage();
    const QColor c = shot.pixelColor(160, 120);
    EXPECT_GT(c.blue(), 60);

    form.game().PlayVideo(); // the same file again starts over
    EXPECT_LT(form.game().FilterGraph1->position(), later);
    form.game().StopVideo();
    EXPECT_FALSE(form.game().VideoWindow1->isVisible());
    EXPECT_FALSE(form.game().FilterGraph1->playing());
}

// A video shown again stays loaded while its file is unchanged; switching
// files, or a file rewritten on disk, loads the one there is now.
TEST(PlayVideo, AVideoShownAgainIsTheFileOnDisk) {
    struct Row {
        const char* file;
        QSize rewrittenAs; // empty: left as it is
        QSize shown;
    } rows[] = {
        {"clip.avi", {}, {640, 480}},
        {"other.avi", {}, {320, 240}},
        {"clip.avi", {}, {640, 480}},
        {"clip.avi", {160, 120}, {160, 120}},
        {"clip.avi", {}, {160, 120}},
    };
    MediaGame g;
    taleplay::testing::writeMjpegAvi(g.data() + "other.avi", 320, 240, 20, 10);
    TForm1& form = g.start();
    for (const auto& r : rows) {
        if (!r.rewrittenAs.isEmpty())
            taleplay::testing::writeMjpegAvi(g.data() + r.file, r.rewrittenAs.width(),
                                             r.rewrittenAs.height(), 20, 10);
        form.game().VideoWindow1->setGeometry(0, 0, 0, 0);
        form.game().state.videoFile = g.data() + r.file;
        form.game().PlayVideo();
        EXPECT_EQ(form.game().VideoWindow1->size(), r.shown) << r.file;
        // Its first picture at once, red, though the last one shown was blue.
        const QImage shot = form.grab(QRect(QPoint(), r.shown)).toImage();
        const QColor c = shot.pixelColor(r.shown.width() / 2, r.shown.height() / 2);
        EXPECT_GT(c.red(), 200) << r.file;
        EXPECT_LT(c.blue(), 60) << r.file;
        runFor(1200);
        EXPECT_TRUE(form.game().FilterGraph1->playing()) << r.file << " " << (&r - rows);
    }
    // Cleared by a rebuild, the window shows nothing until a video is shown.
    form.game().StopVideo();
    form.game().FilterGraph1->clearGraph();
    form.game().FilterGraph1->play();
    runFor(300);
    EXPECT_FALSE(form.game().FilterGraph1->playing());
    const QImage cleared = form.game().VideoWindow1->grab().toImage();
    EXPECT_EQ(cleared.pixelColor(80, 60), QColor(Qt::black));
}

TEST(PlayVideo, AFileWithoutPictureLeavesZeroSidesAlone) {
    MediaGame g;
    TForm1& form = g.start();
    g.dir.write("data_game/broken.avi", "RIFF nonsense");
    form.game().VideoWindow1->setGeometry(10, 10, 0, 0);
    form.game().state.videoFile = g.data() + "broken.avi";
    form.game().PlayVideo();
    EXPECT_EQ(form.game().VideoWindow1->size(), QSize(0, 0));
    EXPECT_TRUE(form.game().VideoWindow1->isVisible());
    form.game().state.videoFile = g.data() + "missing.avi";
    form.game().PlayVideo();
    EXPECT_TRUE(form.game().messages().empty()); // playback itself reports nothing
}

TEST(PlayAudio, OneSoundAtATimeAndFailuresLeaveNone) {
    MediaGame g;
    TForm1& form = g.start();
    form.game().PlayAudio(g.data() + "one.wav");
    const auto first = form.game().soundStream();
    ASSERT_NE(first, 0u);
    EXPECT_TRUE(form.game().audio().isPlaying(first));
    form.game().PlayAudio(g.data() + "two.wav");
    EXPECT_NE(form.game().soundStream(), first);
    EXPECT_FALSE(form.game().audio().isPlaying(first)); // stopped and freed
    EXPECT_EQ(form.game().audio().fileOf(form.game().soundStream()), g.data() + "two.wav");
    EXPECT_TRUE(form.game().audio().isPlaying(form.game().soundStream()));

    g.dir.write("data_game/noise.wav", "not a sound at all");
    form.game().PlayAudio(g.data() + "noise.wav");
    EXPECT_EQ(form.game().soundStream(), 0u);
}

TEST(PlayAudio, ASoundPlaysOnce) {
    MediaGame g;
    TForm1& form = g.start();
    taleplay::testing::writeWav(g.data() + "short.wav", 200);
    form.game().PlayAudio(g.data() + "short.wav");
    ASSERT_NE(form.game().soundStream(), 0u);
    // Ended well within five seconds (a sound device's own buffering, two
    // seconds on PulseAudio's null output, comes after its 200 ms).
    for (int waited = 0; waited < 5000 && form.game().audio().isPlaying(form.game().soundStream());
         waited += 100)
        runFor(100);
    EXPECT_FALSE(form.game().audio().isPlaying(form.game().soundStream()));
}

TEST(Declarations, VideoWindowDefaultsAndCentring) {
    struct Row {
        std::string lines;
        QRect window;
        std::string videoFile; // relative to the data folder, "" for none
        bool playing;
        int reports;
    } rows[] = {
        // No video keys: a quarter of the client, centred, hidden.
        {"*screencolor*clRed#\r\n", {480, 384, 320, 256}, "", false, 0},
        // A top of 0 counts as absent: centred.
        {"*videoscreen*topinpixels*0#\r\n", {480, 384, 320, 256}, "", false, 0},
        {"*videoscreen*widthindivision*2#1#\r\n*videoscreen*heightindivision*2#1#\r\n",
         {320, 256, 640, 512},
         "",
         false,
         0},
        {"*videoscreen*leftinpixels*7#\r\n*videoscreen*topindivision*2#center#\r\n",
         {7, 384, 320, 256},
         "",
         false,
         0},
        // A named video plays at once...
        {"*video*clip.avi#\r\n*videoscreen*widthinpixels*320#\r\n*videoscreen*heightinpixels*240#"
         "\r\n",
         {480, 392, 320, 240},
         "clip.avi",
         true,
         0},
        // ... unless held back; it is still the current video.
        {"*video*clip.avi#\r\n*videoscreenvisible*no#\r\n",
         {480, 384, 320, 256},
         "clip.avi",
         false,
         0},
        // A missing one is reported once and recorded all the same.
        {"*video*intro.avi#\r\n", {480, 384, 320, 256}, "intro.avi", false, 1},
        // Placed past any screen, it plays out of sight: its edges still
        // fit an int.
        {"*video*clip.avi#\r\n*videoscreen*leftinpixels*2147483647#\r\n"
         "*videoscreen*topinpixels*-2147483648#\r\n",
         {1 << 29, -(1 << 29), 320, 256},
         "clip.avi",
         true,
         0},
    };
    for (const auto& r : rows) {
        MediaGame g;
        g.dir.write("data_game/allbackpictures.txt", r.lines);
        TForm1& form = g.start(); // building the background declares them
        EXPECT_EQ(form.game().VideoWindow1->geometry(), r.window) << r.lines;
        EXPECT_EQ(form.game().state.videoFile, r.videoFile.empty() ? "" : g.data() + r.videoFile)
            << r.lines;
        EXPECT_EQ(form.game().VideoWindow1->isVisible(), r.playing) << r.lines;
        EXPECT_EQ(static_cast<int>(form.game().messages().size()), r.reports) << r.lines;
        if (r.reports) {
            EXPECT_EQ(form.game().messages()[0], "Can't find file  intro.avi");
        }
    }
}

TEST(Declarations, SoundStartsAtOnceAndAMissingOneIsNoError) {
    MediaGame g;
    g.dir.write("data_game/allbackpictures.txt", "*sound*ONE.WAV#\r\n");
    TForm1& form = g.start();
    ASSERT_NE(form.game().soundStream(), 0u);
    EXPECT_TRUE(form.game().audio().isPlaying(form.game().soundStream()));

    g.dir.write("data_game/allbackpictures.txt", "*sound*gone.wav#\r\n");
    form.game().PlayAudio(g.data() + "two.wav");
    const auto before = form.game().soundStream();
    DeclareSound(form.game(), g.data() + "allbackpictures.txt");
    EXPECT_EQ(form.game().soundStream(), before);
    EXPECT_TRUE(form.game().messages().empty());
}
