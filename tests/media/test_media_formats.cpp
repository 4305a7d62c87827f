// Every sound and video format a game may carry, played by the real player
// from the fixtures; and a file the machine cannot decode, which the player
// does not report but names on standard error.
#include "app/game_fixture.h"
#include "app/quiet_start.h"
#include "commands/taleforge_serv_serv.h"

#include <QElapsedTimer>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += l;
    return out;
}

const std::filesystem::path kFixtures = TALEPLAY_MEDIA_FIXTURES;

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// A game whose data folder holds a copy of every fixture.
struct MediaGame : TestGame {
    TForm1* form = nullptr;
    MediaGame() {
        std::filesystem::create_directories(dir.path() / "data_game");
        for (const auto& entry : std::filesystem::directory_iterator(kFixtures))
            std::filesystem::copy_file(entry.path(),
                                       dir.path() / "data_game" / entry.path().filename());
        form = &start();
    }
    Game& game() { return form->game(); }
    std::string data(const std::string& name) const { return dir.str() + "/data_game/" + name; }
};

// Lets the program run until `done`, for at most `ms`.
template <class Done> bool runUntil(Done done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        platform::processEvents();
        platform::sleepMs(5);
    }
    return done();
}

// What is written on standard error while the object lives, with the
// toolkit's messages filtered as the player filters them in a quiet run.
class StandardErrorCapture {
  public:
    StandardErrorCapture() : file_(std::tmpfile()) {
        launch::installMessageHandler(launch::Verbosity::Quiet);
        std::fflush(stderr);
        saved_ = ::dup(2);
        ::dup2(::fileno(file_), 2);
    }
    ~StandardErrorCapture() { restore(); }
    std::vector<std::string> lines() {
        restore();
        std::vector<std::string> out;
        std::rewind(file_);
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, file_))
            out.emplace_back(buffer);
        return out;
    }

  private:
    void restore() {
        if (saved_ < 0)
            return;
        qInstallMessageHandler(nullptr);
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }
    std::FILE* file_;
    int saved_ = -1;
};

// The AVI file with its first stream of `kind` ("vids" or "auds") in a codec
// nothing decodes: pictures compressed as "QZQZ", or sound of format tag
// 0x7777. Its stream header holds the kind, its stream format the codec.
std::string withUnknownCodec(std::string avi, const std::string& kind) {
    const std::size_t header = avi.find(kind);
    const std::size_t format = avi.find("strf", header);
    if (header == std::string::npos || format == std::string::npos)
        return {};
    if (kind == "vids") {
        avi.replace(header + 4, 4, "QZQZ");      // the stream header's handler
        avi.replace(format + 8 + 16, 4, "QZQZ"); // the picture format's compression
    } else {
        avi[format + 8] = '\x77'; // format tag 0x7777
        avi[format + 9] = '\x77';
    }
    return avi;
}

bool blueish(QColor c) {
    // #3070D0, give or take what a lossy codec and a colour conversion do.
    return std::abs(c.red() - 0x30) < 40 && std::abs(c.green() - 0x70) < 40 &&
           std::abs(c.blue() - 0xD0) < 40;
}

} // namespace

TEST(MediaFormats, EverySoundIsRecognisedAndPlaysForItsLength) {
    MediaGame g;
    AudioLibrary& audio = g.game().audio();
    struct Playing {
        std::string file;
        AudioLibrary::Handle stream;
        qint64 started, ended;
    };
    std::vector<Playing> sounds;
    QElapsedTimer clock;
    clock.start();
    StandardErrorCapture errors;
    for (const char* file : {"pcm.wav", "adpcm_ms.wav", "adpcm_ima.wav", "sound.mp3", "sound.mp2",
                             "sound.ogg", "sound.aiff", "mjpeg.avi"}) {
        const AudioLibrary::Handle stream = audio.streamCreateFile(g.data(file));
        EXPECT_NE(stream, 0u) << file << " is not recognised as a sound";
        if (stream == 0)
            continue;
        EXPECT_TRUE(audio.channelPlay(stream, false)) << file;
        sounds.push_back({file, stream, clock.elapsed(), -1});
        EXPECT_TRUE(audio.isPlaying(stream)) << file;
    }
    // They play together, each for about its second.
    runUntil(
        [&] {
            bool all = true;
            for (Playing& p : sounds) {
                if (p.ended < 0 && !audio.isPlaying(p.stream))
                    p.ended = clock.elapsed();
                all = all && p.ended >= 0;
            }
            return all;
        },
        30000);
    for (const Playing& p : sounds) {
        EXPECT_GE(p.ended, 0) << p.file << " never ends";
        EXPECT_GE(p.ended - p.started, 800) << p.file << " ends before its length";
    }
    const auto said = errors.lines();
    EXPECT_TRUE(said.empty()) << joined(said);
}

TEST(MediaFormats, EveryVideoTakesItsOwnSizeAndPaintsItsPictures) {
    MediaGame g;
    struct Row {
        const char* file;
        QSize size;
    } rows[] = {
        {"mjpeg.avi", {160, 120}},   {"xvid.avi", {176, 144}},  {"msvideo1.avi", {128, 96}},
        {"cinepak.avi", {160, 112}}, {"mpeg1.mpg", {192, 144}}, {"mpeg2.mpg", {208, 160}},
        {"wmv.wmv", {224, 168}},     {"h264.mp4", {240, 180}},  {"movie.mov", {256, 192}},
    };
    VideoControl& window = *g.game().VideoWindow1;
    StandardErrorCapture errors;
    for (const Row& r : rows) {
        // A window of no size at the corner takes the video's own.
        window.setGeometry(0, 0, 0, 0);
        g.game().state.videoFile = g.data(r.file);
        g.game().PlayVideo();
        EXPECT_EQ(window.size(), r.size) << r.file;
        const bool painted = runUntil(
            [&] {
                const QImage shot =
                    g.form->grab(QRect(0, 0, r.size.width(), r.size.height())).toImage();
                return blueish(shot.pixelColor(r.size.width() / 2, r.size.height() / 2));
            },
            15000);
        EXPECT_TRUE(painted) << r.file << " paints no picture";
        g.game().StopVideo();
    }
    EXPECT_TRUE(g.game().messages().empty());
    for (const std::string& line : errors.lines())
        EXPECT_NE(line.rfind("taleplay:", 0), 0u) << line;
}

TEST(MediaFormats, AFileNothingHereDecodesIsToldOnStandardErrorOnly) {
    MediaGame g;
    const std::string avi = slurp(kFixtures / "mjpeg.avi");
    g.dir.write("data_game/unknown_picture.avi", withUnknownCodec(avi, "vids"));
    g.dir.write("data_game/unknown_sound.avi", withUnknownCodec(avi, "auds"));
    struct Row {
        const char* file;
        bool asVideo;
        const char* named; // what the line says is missing
    } rows[] = {
        {"unknown_picture.avi", true, "'QZQZ'"},
        {"unknown_sound.avi", false, "0x7777"},
    };
    for (const Row& r : rows) {
        StandardErrorCapture errors;
        if (r.asVideo) {
            g.form->runEvent([&] { RunCommand(g.game(), {}, std::string("playvideo ") + r.file); });
        } else {
            g.form->runEvent([&] { RunCommand(g.game(), {}, std::string("playsound ") + r.file); });
            EXPECT_EQ(g.game().soundStream(), 0u) << r.file;
        }
        EXPECT_TRUE(g.game().messages().empty()) << r.file; // the player says nothing
        const std::vector<std::string> lines = errors.lines();
        ASSERT_EQ(lines.size(), 1u) << r.file << ":\n" << joined(lines);
        EXPECT_EQ(lines[0].rfind("taleplay: cannot play " + g.data(r.file) + ": missing ", 0), 0u)
            << lines[0];
        EXPECT_NE(lines[0].find(r.named), std::string::npos) << lines[0];
    }
}
