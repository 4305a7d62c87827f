// Lookups from files kept in memory must still see every change on disk.
#include "descr/File_functions.h"
#include "descr/description_cache.h"

#include "descr_test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace taleplay {
namespace {

using test::TempFolder;

struct Kept : ::testing::Test {
    ~Kept() override {
        descr::setRecentChangeWindow(50'000'000, 3'000'000'000);
        descr::setDescriptionCacheBudget(descr::kDescriptionCacheBudget);
        descr::clearDescriptionCache();
    }
    TempFolder folder;
};

timespec modified(const std::string& fsPath) {
    struct stat st {};
    ::stat(fsPath.c_str(), &st);
    return st.st_mtim;
}

void setModified(const std::string& fsPath, timespec t) {
    const timespec times[2] = {t, t};
    ASSERT_EQ(::utimensat(AT_FDCWD, fsPath.c_str(), times, 0), 0);
}

TEST_F(Kept, ARewriteOfTheSameSizeIsSeenByItsStamp) {
    // Only the stamp can tell here: a file changed long ago is trusted.
    descr::setRecentChangeWindow(0, 0);
    const std::string file = folder.write("allbuttons.txt", "*button1*click*picture1#visible^\r\n");
    const std::string disk = folder.onDisk("allbuttons.txt");
    EXPECT_EQ(keyValue(file, "*button1*click*"), "picture1");
    const timespec before = modified(disk);

    // Same size, same second; only the nanoseconds differ.
    folder.write("allbuttons.txt", "*button1*click*picture2#visible^\r\n");
    setModified(disk, timespec{before.tv_sec, (before.tv_nsec + 1) % 1'000'000'000});
    EXPECT_EQ(keyValue(file, "*button1*click*"), "picture2");
    EXPECT_EQ(countLinesWithKey(file, "*BUTTON1*"), 1);

    // A new file renamed over it: another inode.
    folder.write("new.txt", "*button1*click*picture3#visible^\r\n*button1*click*x#\r\n");
    ASSERT_EQ(::rename(folder.onDisk("new.txt").c_str(), disk.c_str()), 0);
    EXPECT_EQ(nthLineWithKey(file, "*button1*click*", 2), "*button1*click*x#");
}

TEST_F(Kept, ARecentFileIsComparedEvenWhenItsTimesAreRestored) {
    const std::string file = folder.write("allbuttons.txt", "*a*one#\r\n");
    const std::string disk = folder.onDisk("allbuttons.txt");
    EXPECT_EQ(keyValue(file, "*a*"), "one");
    const timespec before = modified(disk);
    // Every time the stamp holds, as a fast editor or a coarse clock leaves
    // them; only the change time moves, and it may not move far enough.
    folder.write("allbuttons.txt", "*a*two#\r\n");
    setModified(disk, before);
    EXPECT_EQ(keyValue(file, "*a*"), "two");
}

// A file larger than the whole budget stays kept while other files are
// read (it was read and cut again at every lookup of a start-up); files
// beyond it still go, least recently used first.
TEST_F(Kept, AFileLargerThanTheBudgetStaysWhileOthersAreRead) {
    descr::setRecentChangeWindow(0, 0);
    // Each smaller file holds its 5 KiB twice (its lines and its bytes).
    descr::setDescriptionCacheBudget(16 * 1024);
    folder.write("allbackpictures.txt", "*fon*name*a.bmp#\r\n" + std::string(64 * 1024, 'x'));
    folder.write("allbuttons.txt", "*button1*name*b.bmp#\r\n" + std::string(5 * 1024, 'y'));
    folder.write("allbacktexts.txt", "*text1*string1*c#\r\n" + std::string(5 * 1024, 'z'));
    auto read = [&](const std::string& name) {
        const std::string disk = folder.onDisk(name);
        struct stat st {};
        ::stat(disk.c_str(), &st);
        return descr::cachedDescriptionFile(disk, st, name);
    };
    const auto large = read("allbackpictures.txt");
    const auto buttons = read("allbuttons.txt");
    ASSERT_TRUE(large && buttons);
    EXPECT_EQ(read("allbackpictures.txt"), large);
    EXPECT_EQ(read("allbuttons.txt"), buttons);
    // The two smaller files together are over the budget: the one used
    // longest ago goes, the large one stays.
    read("allbackpictures.txt");
    const auto texts = read("allbacktexts.txt");
    EXPECT_EQ(read("allbacktexts.txt"), texts);
    EXPECT_EQ(read("allbackpictures.txt"), large);
    EXPECT_NE(read("allbuttons.txt"), buttons);
}

TEST_F(Kept, ManyKeysAndComparisonsStayExact) {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "*textwindow1*rightanswer*answer" + std::to_string(i) + "#\r\n";
    const std::string file = folder.write("alltextwindows.txt", text);
    // More distinct keys than are remembered: answers typed one after another.
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 3000; i += 7) {
            const std::string key = "textwindow1*rightanswer*ANSWER" + std::to_string(i) + "#";
            EXPECT_EQ(countLinesWithAnswer(file, key), i < 300 ? 1 : 0) << key;
        }
    EXPECT_EQ(countLinesWithKey(file, "*TEXTWINDOW1*"), 300);
    EXPECT_EQ(nthLineWithKey(file, "*textwindow1*", 300), "*textwindow1*rightanswer*answer299#");
    EXPECT_EQ(firstLineWithKey(file, "*TEXTWINDOW1*"), "");
    // A key holding a line break never spans two lines.
    EXPECT_EQ(countLinesWithKey(file, "answer1#\n*textwindow1"), 0);
}

} // namespace
} // namespace taleplay

namespace taleplay {
namespace {

// Very long lines are skipped by the bytes they hold; whatever they hold,
// every lookup still finds exactly the lines a plain scan finds.
TEST_F(Kept, VeryLongLinesAreSearchedExactly) {
    const std::string longPlain(200'000, 'x');
    const std::string longWithKey = std::string(100'000, 'y') + "*KEY*v#" + std::string(9000, 'y');
    const std::string longAlmost = std::string(50'000, '*') + "KE" + std::string(5000, 'Y');
    const std::string file = folder.write(
        "allbacktexts.txt", "*key*first#\r\n" + longPlain + "\r\n" + longWithKey + "\r\n" +
                                longAlmost + "\r\n*key*last#\r\n" + longWithKey + "\r\n");
    EXPECT_EQ(countLinesWithKey(file, "*key*"), 4);
    EXPECT_EQ(nthLineWithKey(file, "*key*", 2), longWithKey);
    EXPECT_EQ(nthLineWithKey(file, "*key*", 3), "*key*last#");
    EXPECT_EQ(keyValue(file, "*KEY*"), "v");
    EXPECT_EQ(countLinesWithKey(file, "xxxx"), 1);
    EXPECT_EQ(countLinesWithKey(file, "**ke"), 1);
    EXPECT_EQ(countLinesWithKey(file, "z"), 0);
    EXPECT_EQ(countLinesWithAnswer(file, "*KEY*V#"), 2); // "first", "last" are other answers
}

} // namespace
} // namespace taleplay
