// The worked examples of the background on the screens they name, through
// the playtest driver in a process of its own (this test program's screen is
// fixed at 1280 x 1024).
#include "support/qt_support.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>
#include <map>

using taleplay::testing::TempFolder;

namespace {

struct Scene {
    std::map<std::string, QJsonObject> controls;
    QJsonObject tables;

    QRect rect(const std::string& name) const {
        auto it = controls.find(name);
        if (it == controls.end())
            return {};
        const QJsonObject& c = it->second;
        return {c["left"].toInt(), c["top"].toInt(), c["width"].toInt(), c["height"].toInt()};
    }
    int count(const std::string& prefix) const {
        int n = 0;
        for (const auto& [name, c] : controls)
            n += name.rfind(prefix, 0) == 0;
        return n;
    }
};

class OtherScreen : public ::testing::Test {
  protected:
    void picture(const std::string& name, int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::gray);
        const auto path = dir.path() / "data_game" / name;
        std::filesystem::create_directories(path.parent_path());
        ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
    }

    // Plays the game on a screen of `screen` and dumps what was built.
    Scene play(const char* screen) {
        const QString driver =
            QCoreApplication::applicationDirPath() + "/../../tools/playtest/taleplay-playtest";
        if (!QFile::exists(driver))
            return {};
        dir.write("script.txt", "dump scene.json\n");
        QProcess process;
        process.setWorkingDirectory(QString::fromStdString(dir.str()));
        process.start(driver, {"--screen", screen, "data_game", "script.txt"});
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardOutput().toStdString();
        QFile file(QString::fromStdString((dir.path() / "scene.json").string()));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
        Scene scene;
        for (const QJsonValue& c : root["controls"].toArray())
            scene.controls[c["name"].toString().toStdString()] = c.toObject();
        scene.tables = root["tables"].toObject();
        return scene;
    }

    bool haveDriver() const {
        return QFile::exists(QCoreApplication::applicationDirPath() +
                             "/../../tools/playtest/taleplay-playtest");
    }

    TempFolder dir;
};

} // namespace

TEST_F(OtherScreen, BackgroundTilesOnAClientAreaOf1000x700) {
    if (!haveDriver())
        GTEST_SKIP() << "taleplay-playtest is not built";
    picture("fon.bmp", 300, 200);
    const Scene scene = play("1000x700");
    EXPECT_EQ(scene.count("BP"), 16);
    EXPECT_EQ(scene.rect("BP3"), QRect(900, 0, 100, 200));
    EXPECT_EQ(scene.rect("BP12"), QRect(0, 600, 300, 100));
    EXPECT_EQ(scene.rect("BP15"), QRect(900, 600, 100, 100));
}

TEST_F(OtherScreen, FramesAndCornerOnAClientAreaOf1024x700) {
    if (!haveDriver())
        GTEST_SKIP() << "taleplay-playtest is not built";
    picture("ramkahor.bmp", 100, 20);
    picture("ramkavert.bmp", 20, 100);
    picture("cornerbottomright.bmp", 50, 100);
    dir.write("data_game/allbackpictures.txt", "*corner*heightinpixels*40#\n");
    const Scene scene = play("1024x700");
    EXPECT_EQ(scene.count("RH"), 22);
    EXPECT_EQ(scene.rect("RH10"), QRect(940, 0, 84, 19));
    EXPECT_EQ(scene.rect("RH21"), QRect(940, 681, 84, 19));
    EXPECT_EQ(scene.count("RV"), 14);
    EXPECT_EQ(scene.rect("RV22"), QRect(0, 0, 19, 101));
    EXPECT_EQ(scene.rect("RV28"), QRect(0, 606, 19, 94));
    EXPECT_EQ(scene.rect("RV35"), QRect(1005, 606, 19, 94));
    EXPECT_EQ(scene.count("UGOL"), 1);
    EXPECT_EQ(scene.rect("UGOL3"), QRect(1004, 660, 20, 40));
}

TEST_F(OtherScreen, WideScreenOf1366x768) {
    if (!haveDriver())
        GTEST_SKIP() << "taleplay-playtest is not built";
    picture("p.png", 200, 100);
    picture("wide.png", 4, 3);
    picture("long.png", 4, 3);
    dir.write("data_game/allbackpictures.txt",
              "*picture1*name*p.png#\n*picture1*widthindivision*4#1#\n"
              "*bigfon*name*wide.png#\n*bigfon*longname*long.png#\n"
              "*shape1*form*square#\n*shape1*widthinpixels*10#\n");
    const Scene scene = play("1366x768");
    EXPECT_EQ(scene.rect("RIS0"), QRect(0, 0, 342, 171)); // 1366 / 4 = 341.5, to the even 342
    ASSERT_TRUE(scene.controls.count("FON") && scene.controls.count("SHAP0"));
    EXPECT_TRUE(scene.controls.at("FON")["picture"].toString().endsWith("long.png"));
    EXPECT_EQ(scene.controls.at("SHAP0")["penwidth"].toInt(), 1); // 768 div 400
}
