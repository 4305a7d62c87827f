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

namespace {

// A folder under an awkward native name, with files named in every way a
// game's files arrive.
struct NativeTree {
    fs::path root;
    explicit NativeTree(const std::string& name)
        : root(fs::temp_directory_path() / ("taleplay-native-" + std::to_string(::getpid())) /
               name) {
        fs::remove_all(root.parent_path());
        fs::create_directories(root / "data_игра" / "Pics");
        std::ofstream(root / "data_игра" / "Pics" / "House.BMP") << "x";
    }
    ~NativeTree() {
        paths::setNativeFolders({});
        fs::remove_all(root.parent_path());
    }
    std::string working() const { return root.string() + "/"; }
    std::string data() const { return working() + "data_игра/"; }
    void touch(const std::string& name) const { std::ofstream(root / "data_игра" / name) << "x"; }
};

} // namespace

TEST(Paths, NativeFoldersKeepTheirBytes) {
    for (const std::string name : {"Игры", "café", "日本 語", "«A» ё", "back\\slash"}) {
        NativeTree t(name);
        paths::setNativeFolders({t.working(), t.data()});
        // "pics\house.bmp" as a description file writes it.
        const std::string composed = t.data() + "pics\\house.bmp";
        const auto parts = paths::split(composed);
        EXPECT_EQ(parts.native, t.data()) << name;
        EXPECT_EQ(parts.game, "pics\\house.bmp") << name;
        EXPECT_EQ(paths::resolve(composed), t.data() + "Pics/House.BMP") << name;
        EXPECT_TRUE(paths::folderExists(t.data())) << name;
        // Shown as composed: the native part as it is, the game part
        // converted, its '\' kept.
        EXPECT_EQ(paths::shown(t.data() + "\xc4\xee\xec.bmp"), t.data() + "Дом.bmp") << name;
        // Game names after the working folder ("..\" of startprogram).
        EXPECT_EQ(paths::resolve(t.working() + "DATA_\xc8\xc3\xd0\xc0\\Pics\\House.BMP"),
                  t.data() + "Pics/House.BMP")
            << name;
    }
}

TEST(Paths, NamesStoredInOtherCodePagesAreFound) {
    NativeTree t("games");
    paths::setNativeFolders({t.working(), t.data()});
    t.touch("\xE4\xEE\xEC.bmp"); // "дом.bmp" in Windows-1251 bytes
    t.touch("\xAA\xAE\xE2.PNG"); // "кот.PNG" in CP866 bytes
    t.touch("\x8B\x85\x91.gif"); // "ЛЕС.gif" in CP866 bytes
    t.touch("Ёлка.jpg");         // UTF-8
    struct Row {
        std::string game; // as a description file writes it (Windows-1251)
        std::string onDisk;
        paths::NameMatch match;
        std::string shown;
    } rows[] = {
        {"\xc4\xce\xcc.BMP", "\xE4\xEE\xEC.bmp", paths::NameMatch::Windows1251, "дом.bmp"},
        {"\xea\xee\xf2.png", "\xAA\xAE\xE2.PNG", paths::NameMatch::Cp866, "кот.PNG"},
        {"\xeb\xe5\xf1.gif", "\x8B\x85\x91.gif", paths::NameMatch::Cp866, "ЛЕС.gif"},
        {"\xb8\xeb\xea\xe0.JPG", "Ёлка.jpg", paths::NameMatch::LetterCase, "Ёлка.jpg"},
        {"\xa8\xeb\xea\xe0.jpg", "Ёлка.jpg", paths::NameMatch::Exact, "Ёлка.jpg"},
        {"pics\\\xa8\xeb\xea\xe0.jpg", "", paths::NameMatch::Missing, ""},
    };
    for (const auto& r : rows) {
        const paths::Resolved got = paths::resolveName(t.data() + r.game);
        EXPECT_EQ(got.match, r.match) << r.shown;
        if (r.match == paths::NameMatch::Missing) {
            EXPECT_FALSE(paths::fileExists(t.data() + r.game));
            continue;
        }
        EXPECT_EQ(got.path, t.data() + r.onDisk) << r.shown;
        EXPECT_EQ(got.shown, t.data() + r.shown);
    }
}

TEST(Paths, TheChoiceAmongSeveralIsFixed) {
    // UTF-8 names before Windows-1251 before CP866, then byte order,
    // however the folder lists them.
    struct Row {
        std::vector<std::string> files;
        std::string chosen;
    } rows[] = {
        {{"\xA4\xAE\xAC.bmp", "\xE4\xEE\xEC.bmp", "дом.bmp", "ДОМ.bmp"}, "ДОМ.bmp"},
        {{"\xA4\xAE\xAC.bmp", "\xE4\xEE\xEC.bmp", "\xC4\xCE\xCC.bmp"}, "\xC4\xCE\xCC.bmp"},
        {{"\xA4\xAE\xAC.bmp", "\x84\x8E\x8C.bmp"}, "\x84\x8E\x8C.bmp"},
    };
    for (const auto& r : rows) {
        NativeTree t("choice");
        paths::setNativeFolders({t.working(), t.data()});
        for (const std::string& f : r.files)
            t.touch(f);
        // "Дом.Bmp": no file has exactly this name.
        EXPECT_EQ(paths::resolve(t.data() + "\xc4\xee\xec.Bmp"), t.data() + r.chosen);
    }
}

TEST(Paths, NativeNamesAreFoundAsGameNamesAre) {
    NativeTree t("results");
    std::ofstream(t.root / "Mark For Quest.txt") << "2\r\n";
    std::ofstream(t.root / "Mark For ИГРА.txt") << "2\r\n";
    struct Row {
        std::string name, found;
        paths::NameMatch match;
    } rows[] = {
        {"mark for quest.txt", "Mark For Quest.txt", paths::NameMatch::LetterCase},
        {"mark for игра.txt", "Mark For ИГРА.txt", paths::NameMatch::LetterCase},
        {"Mark For Quest.txt", "Mark For Quest.txt", paths::NameMatch::Exact},
        {"mark for new.txt", "mark for new.txt", paths::NameMatch::Missing},
    };
    for (const auto& r : rows) {
        for (const std::string& folder : {t.working(), t.root.string()}) {
            const paths::Resolved got = paths::resolveIn(folder, r.name);
            EXPECT_EQ(got.path, t.working() + r.found) << r.name;
            EXPECT_EQ(got.match, r.match) << r.name;
        }
    }
}

TEST(Paths, KeptFolderListingsFollowTheFolder) {
    // Trusted at once, as if the folder had been changed long ago; then
    // again with every listing read afresh, as for a folder changed just now.
    for (std::int64_t window : {std::int64_t(0), std::int64_t(1) << 62}) {
        SCOPED_TRACE(window);
        paths::setRecentListingWindow(window, window);
        Tree t;
        const fs::path pics = t.root / "data_game" / "Pics";
        const std::string composed = t.base() + "/data_game/Pics/NEW.TXT";
        EXPECT_FALSE(paths::fileExists(composed));
        std::ofstream(pics / "new.txt") << "x";
        EXPECT_EQ(paths::existingFile(composed), (pics / "new.txt").string());
        fs::rename(pics / "new.txt", pics / "Other.txt");
        EXPECT_FALSE(paths::fileExists(composed));
        EXPECT_EQ(paths::resolve(t.base() + "/data_game/Pics/other.TXT"),
                  (pics / "Other.txt").string());
        fs::remove(pics / "Other.txt");
        EXPECT_FALSE(paths::fileExists(t.base() + "/data_game/Pics/other.TXT"));
    }
    paths::setRecentListingWindow(50'000'000, 3'000'000'000);
}
