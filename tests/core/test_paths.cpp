#include "core/paths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace taleplay;
namespace fs = std::filesystem;

namespace {

struct Tree {
    fs::path root = fs::temp_directory_path() / ("taleplay-paths-" + std::to_string(::getpid()));
    Tree() {
        fs::remove_all(root);
        fs::create_directories(root / "data_game" / "Pics");
        fs::create_directories(root / "data_game" / "Картинки");
        std::ofstream(root / "data_game" / "Pics" / "House.BMP") << "x";
        std::ofstream(root / "data_game" / "Картинки" / "Дом.bmp") << "x";
    }
    ~Tree() { fs::remove_all(root); }
    std::string base() const { return root.string(); }
};

} // namespace

TEST(Paths, ResolvesWindowsNamesIgnoringCase) {
    Tree t;
    const std::string want = t.base() + "/data_game/Pics/House.BMP";
    struct Row {
        std::string composed;
        bool found;
    } rows[] = {
        {t.base() + "/data_game/Pics/House.BMP", true},
        {t.base() + "/data_game\\pics\\house.bmp", true},
        {t.base() + "/DATA_GAME/PICS/HOUSE.bmp", true},
        {t.base() + "/data_game/Pics/House.png", false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(paths::fileExists(r.composed), r.found) << r.composed;
        if (r.found) {
            EXPECT_EQ(paths::resolve(r.composed), want);
            EXPECT_EQ(paths::existingFile(r.composed), want);
        } else {
            EXPECT_FALSE(paths::existingFile(r.composed));
        }
    }
}

TEST(Paths, CyrillicNamesMatchAcrossCase) {
    Tree t;
    // "КАРТИНКИ\ДОМ.BMP" in Windows-1251, as a description file writes it.
    const std::string composed =
        t.base() + "/data_game\\\xca\xc0\xd0\xd2\xc8\xcd\xca\xc8\\\xc4\xce\xcc.BMP";
    EXPECT_TRUE(paths::fileExists(composed));
    EXPECT_EQ(paths::resolve(composed), t.base() + "/data_game/Картинки/Дом.bmp");
}

TEST(Paths, FoldersAndFilesAreTold) {
    Tree t;
    EXPECT_TRUE(paths::folderExists(t.base() + "/data_game/"));
    EXPECT_TRUE(paths::folderExists(t.base() + "//data_game/"));
    EXPECT_FALSE(paths::fileExists(t.base() + "/data_game"));
    EXPECT_FALSE(paths::folderExists(t.base() + "/data_game/Pics/House.BMP"));
    EXPECT_FALSE(paths::fileExists(""));
    EXPECT_TRUE(paths::fileExists(t.base() + "/data_game/Pics/../Pics/House.BMP"));
}

TEST(Paths, LastComponentOfANativePath) {
    EXPECT_EQ(paths::lastComponent("/usr/games/mygame"), "mygame");
    EXPECT_EQ(paths::lastComponent("game"), "game");
    // A '\' is part of a Linux file name, not a separator.
    EXPECT_EQ(paths::lastComponent("/games/my\\game.exe"), "my\\game.exe");
    EXPECT_EQ(paths::lastComponent("/games/Игры/игра"), "игра");
}
