#include "core/codepage.h"
#include "core/errors.h"
#include "core/files.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace taleplay;
namespace fs = std::filesystem;

namespace {

fs::path scratch(const std::string& name) {
    return fs::temp_directory_path() /
           ("taleplay-files-" + std::to_string(::getpid()) + "-" + name);
}

std::vector<std::string> linesOf(const std::string& bytes) {
    const fs::path p = scratch("lines");
    std::ofstream(p, std::ios::binary) << bytes;
    files::LineReader r(p.string(), "x");
    std::vector<std::string> out;
    std::string line;
    while (r.next(line))
        out.push_back(line);
    fs::remove(p);
    return out;
}

} // namespace

TEST(LineReader, SplitsAsWindowsTextFilesDo) {
    using V = std::vector<std::string>;
    struct Row {
        std::string bytes;
        V lines;
    } rows[] = {
        {"", V{}},
        {"a\r\nb\n", V{"a", "b"}},
        {"a\nb", V{"a", "b"}}, // no final line end
        {"a\rb\n", V{"a\rb"}}, // a lone CR stays in the line
        {"\n\n", V{"", ""}},
        {"ab\x1a"
         "cd\nef",
         V{"ab"}}, // Ctrl-Z ends the file mid-line
        {"ab\n\x1a"
         "cd",
         V{"ab"}},
        {std::string("a\0b\n", 4), V{std::string("a\0b", 3)}},
        // A UTF-8 file with its mark comes out in Windows-1251.
        {"\xEF\xBB\xBF\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0\r\n\xE6\xBC\xA2",
         V{"\xcc\xee\xf1\xea\xe2\xe0", "?"}},
        {"\xEF\xBB\xBF", V{}},
        {"\xEF\xBB", V{"\xEF\xBB"}}, // no whole mark: bytes as they are
        // Elsewhere the mark is a character of a UTF-8 file, which
        // Windows-1251 lacks.
        {"x\xEF\xBB\xBF\n", V{"x?"}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(linesOf(r.bytes), r.lines);
}

// Russian as games are written on Windows: sentences, texts of capitals
// only, quotes, dashes, the number sign, Ё. None of it may be taken for
// UTF-8, and the same text saved as UTF-8 must be.
TEST(TextEncoding, RussianTextIsToldApartBothWays) {
    const char* texts[] = {
        "Сколько планет в Солнечной системе?",
        "ВНИМАНИЕ! ПОЛЁТ НА ЛУНУ ОТМЕНЁН.",
        "ЁЖ, ЁЛКА, ЛЁД, ВСЁ",
        "«Ёлка» — новогодняя сказка, № 5.",
        "В «Ромашке» — всё хорошо…",
        "Я — ученик 5-го класса. «А» и «Б» сидели на трубе.",
        "С Новым годом! С Рождеством!",
        "Ё",
        "*text1*string1*Загадка: кто зимой холодной бродит злой, голодный?#\r\n"
        "*textwindow1*rightanswer*волк#\r\n*textwindow1*rightanswer*Волк!#\r\n",
        "*button1*click*textwindow1#checktext^picture1&visible+text2=textcolor clRed~ "
        "(проверка ответа)\r\n*button1*clickALLGOOD*#victory^\r\n",
    };
    for (const char* text : texts) {
        const std::string cp = cp1251::fromUtf8(text);
        EXPECT_EQ(files::textEncoding(cp), files::TextEncoding::Windows1251) << text;
        EXPECT_EQ(files::textEncoding(text), files::TextEncoding::Utf8) << text;
        // Both read into the same lines.
        EXPECT_EQ(linesOf(cp), linesOf(text)) << text;
    }
}

// Why no Russian word can pass: any two of its letters in a row are no UTF-8.
TEST(TextEncoding, TwoRussianLettersInARowAreNeverUtf8) {
    for (int a = 0xC0; a <= 0xFF; ++a)
        for (int b = 0xC0; b <= 0xFF; ++b) {
            utf8::Validator v;
            EXPECT_FALSE(v.feed(std::string{static_cast<char>(a), static_cast<char>(b)}))
                << a << " " << b;
        }
}

TEST(TextEncoding, TheRuleAtItsEdges) {
    using E = files::TextEncoding;
    struct Row {
        std::string bytes;
        E encoding;
    } rows[] = {
        {"", E::Windows1251},
        {"only ASCII\r\n", E::Windows1251}, // reads the same either way
        {"\xEF\xBB\xBFmark", E::Utf8WithMark},
        {"\xEF\xBB\xBF\xCC\xEE", E::Utf8WithMark}, // the mark decides
        {"Привет", E::Utf8},
        {"Привет\xCC\xEE\xF1\xEA\xE2\xE0", E::Windows1251}, // UTF-8 mixed with Windows-1251
        {"Привет\x1a\xCC\xEE", E::Utf8},                    // after Ctrl-Z nothing counts
        {"\xCC\x1aПривет", E::Windows1251},
        {"Привет\xD0", E::Windows1251}, // cut short at the end
        {"\xC2\x85", E::Windows1251},   // "В…": a C1 control, not text
        // Capitals each followed by Ё or punctuation are valid UTF-8, but
        // spell what no game writes: Arabic, Hebrew, Latin Extended-B, a
        // lone diacritic. Text that reads well stays UTF-8.
        {"*text1*string1*\xD8\xA8#", E::Windows1251},        // "ШЁ": U+0628
        {"\xD6\xBB \xC6\xB9 5\r\n\xCA\x97", E::Windows1251}, // "Ц» Ж№ 5", "К—"
        {"\xC2\xA8", E::Windows1251},                          // "ВЁ": a lone diaeresis
        {"Grüße, ΑΩ, «Ёлка» № 5 — 日本", E::Utf8},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(files::textEncoding(r.bytes), r.encoding) << r.bytes;
        // The line reader decides alike.
        const fs::path p = scratch("edge");
        std::ofstream(p, std::ios::binary) << r.bytes;
        files::LineReader reader(p.string(), "edge");
        std::string line;
        while (reader.next(line)) {
        }
        EXPECT_EQ(reader.encoding(), r.encoding) << r.bytes;
        fs::remove(p);
    }
}

TEST(LineReader, UTF8WithoutAMarkIsDecidedAtItsFirstLetter) {
    using V = std::vector<std::string>;
    struct Row {
        std::string bytes;
        V lines;
    } rows[] = {
        // ASCII lines first: read before the choice, the same either way.
        {"*a*\r\n*b*Ёж#\r\n", V{"*a*", "*b*\xA8\xE6#"}},
        {"*a*\nЁж\n\xCC\n", V{"*a*", "\xD0\x81\xD0\xB6", "\xCC"}},
        {"日本\n", V{"??"}},
        // A letter cut by the reader's chunks of 64 KiB is still whole.
        {"x\n" + std::string(65535, 'b') + "Ж\n", V{"x", std::string(65535, 'b') + "\xC6"}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(linesOf(r.bytes), r.lines) << r.bytes.substr(0, 20);
}

TEST(LineReader, LinesHaveNoLengthLimit) {
    const std::string big(3'000'000, 'x');
    auto lines = linesOf(big + "\r\nend");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), big.size());
    EXPECT_EQ(lines[1], "end");
}

TEST(LineReader, UnreadableFileIsAnInputOutputError) {
    EXPECT_THROW(files::LineReader(scratch("missing").string(), "missing.txt"), InOutError);
    // A folder opens but cannot be read.
    const fs::path dir = scratch("dir");
    fs::create_directories(dir);
    EXPECT_THROW(
        {
            files::LineReader r(dir.string(), "dir");
            std::string line;
            r.next(line);
        },
        InOutError);
    fs::remove_all(dir);
}

TEST(OverwriteFile, ReplacesContentAndLeavesNoTemporaryFiles) {
    const fs::path dir = scratch("write");
    fs::create_directories(dir);
    const fs::path file = dir / "mark for game.txt";
    files::overwriteFile(file.string(), "first, longer content\r\n");
    files::overwriteFile(file.string(), "5\r\n");
    std::ifstream in(file, std::ios::binary);
    std::string got((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(got, "5\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

namespace {

// A folder for result files; given back writable so it can be removed.
struct MarkFolder {
    fs::path dir = scratch("marks");
    MarkFolder() {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~MarkFolder() {
        fs::permissions(dir, fs::perms::owner_all);
        fs::remove_all(dir);
    }
    std::string put(const std::string& name, const std::string& content) const {
        std::ofstream(dir / name, std::ios::binary) << content;
        return (dir / name).string();
    }
    int entries() const { return static_cast<int>(std::distance(fs::directory_iterator(dir), {})); }
};

std::string contentOf(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

struct stat statOf(const fs::path& p) {
    struct stat st = {};
    ::lstat(p.c_str(), &st);
    return st;
}

std::string refusal(const std::string& path, const std::string& content) {
    try {
        files::overwriteFile(path, content);
    } catch (const InOutError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(OverwriteFile, AnExistingFileStaysTheSameFile) {
    MarkFolder m;
    // Its permissions.
    const std::string own = m.put("mark for game.txt", "2\r\n");
    fs::permissions(own, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    files::overwriteFile(own, "5\r\n");
    EXPECT_EQ(contentOf(own), "5\r\n");
    EXPECT_EQ(statOf(own).st_mode & 07777, 0640u);

    // Its other names.
    const std::string linked = m.put("linked.txt", "2\r\n");
    fs::create_hard_link(linked, m.dir / "second name.txt");
    files::overwriteFile(linked, "5\r\n");
    EXPECT_EQ(contentOf(m.dir / "second name.txt"), "5\r\n");
    EXPECT_EQ(statOf(linked).st_ino, statOf(m.dir / "second name.txt").st_ino);

    // A symbolic link keeps pointing at its target, which is written; one
    // that points at nothing yet makes its target.
    m.put("target.txt", "2\r\n");
    fs::create_symlink("target.txt", m.dir / "via link.txt");
    files::overwriteFile((m.dir / "via link.txt").string(), "5\r\n");
    EXPECT_TRUE(S_ISLNK(statOf(m.dir / "via link.txt").st_mode));
    EXPECT_EQ(contentOf(m.dir / "target.txt"), "5\r\n");
    fs::create_symlink("made later.txt", m.dir / "dangling.txt");
    files::overwriteFile((m.dir / "dangling.txt").string(), "2\r\n");
    EXPECT_TRUE(S_ISLNK(statOf(m.dir / "dangling.txt").st_mode));
    EXPECT_EQ(contentOf(m.dir / "made later.txt"), "2\r\n");

    // A link to a device: written where it stands.
    fs::create_symlink("/dev/null", m.dir / "nowhere.txt");
    files::overwriteFile((m.dir / "nowhere.txt").string(), "5\r\n");

    // No temporary file stays behind.
    EXPECT_EQ(m.entries(), 8);
}

TEST(OverwriteFile, AFileOfAnotherOwnerKeepsItsOwner) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file away";
    MarkFolder m;
    const std::string theirs = m.put("mark for game.txt", "2\r\n");
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    fs::permissions(theirs, fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec &
                                ~fs::perms::others_exec);
    const ino_t inode = statOf(theirs).st_ino;
    files::overwriteFile(theirs, "5\r\n");
    EXPECT_EQ(contentOf(theirs), "5\r\n");
    EXPECT_EQ(statOf(theirs).st_uid, 65534u);
    EXPECT_EQ(statOf(theirs).st_gid, 65534u);
    EXPECT_EQ(statOf(theirs).st_ino, inode);
}

TEST(OverwriteFile, AReadOnlyFileIsRefusedAndKept) {
    MarkFolder m;
    const std::string file = m.put("mark for game.txt", "2\r\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(refusal(file, "5\r\n"), "File access denied");
    EXPECT_EQ(contentOf(file), "2\r\n");
    EXPECT_EQ(m.entries(), 1);
}

TEST(OverwriteFile, AWritableFileInAReadOnlyFolderIsOverwrittenInPlace) {
    MarkFolder m;
    const std::string file = m.put("mark for game.txt", "a much longer old mark\r\n");
    const ino_t inode = statOf(file).st_ino;
    fs::permissions(m.dir, fs::perms::owner_read | fs::perms::owner_exec);
    files::overwriteFile(file, "5\r\n");
    EXPECT_EQ(contentOf(file), "5\r\n");
    EXPECT_EQ(statOf(file).st_ino, inode);
    EXPECT_EQ(m.entries(), 1);
    // But no new file is made there.
    EXPECT_EQ(refusal((m.dir / "mark for other.txt").string(), "5\r\n"), "File access denied");
    EXPECT_EQ(m.entries(), 1);
}

TEST(OverwriteFile, FailureIsReportedAndOldContentKept) {
    EXPECT_EQ(refusal(scratch("no-such-dir").string() + "/f.txt", "2\r\n"), "File not found");
    // Nobody, root included, replaces a folder by a result.
    MarkFolder m;
    fs::create_directories(m.dir / "mark for game.txt" / "x");
    EXPECT_EQ(refusal((m.dir / "mark for game.txt").string(), "2\r\n"), "File access denied");
    EXPECT_EQ(files::writeErrorMessage(EACCES), "File access denied");
    EXPECT_EQ(files::writeErrorMessage(ENOSPC), "Disk full");
    EXPECT_EQ(files::writeErrorMessage(EIO), "I/O error 5");
}

TEST(ReadWholeFile, RefusesFilesOverTheLimit) {
    const fs::path p = scratch("whole");
    std::ofstream(p, std::ios::binary) << std::string(100, 'a');
    std::vector<unsigned char> bytes;
    files::readWholeFile(p.string(), "whole", bytes, 100);
    EXPECT_EQ(bytes.size(), 100u);
    EXPECT_THROW(files::readWholeFile(p.string(), "whole", bytes, 99), InOutError);
    fs::remove(p);
}

// A pipe, a device or a folder where a game file should be is never opened
// for reading in a way that could wait: it is refused at once.
TEST(HostileFiles, OnlyRegularFilesAreOpenedAndNothingWaits) {
    MarkFolder f;
    const fs::path fifo = f.dir / "allbuttons.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", f.dir / "zero.txt");
    for (const fs::path& p : {fifo, f.dir / "zero.txt", f.dir}) {
        struct stat st {};
        errno = 0;
        EXPECT_EQ(files::openRegularFile(p.string(), st), -1) << p;
        EXPECT_EQ(errno, p == f.dir ? EISDIR : ENXIO) << p;
        EXPECT_THROW(files::LineReader(p.string(), "x"), InOutError) << p;
        std::vector<unsigned char> bytes;
        EXPECT_THROW(files::readWholeFile(p.string(), "x", bytes, 1 << 20), InOutError) << p;
        EXPECT_TRUE(bytes.empty());
    }
    // A result file that is a pipe nobody reads: refused, not waited on.
    EXPECT_EQ(refusal(fifo.string(), "5\r\n"), "File access denied");
}

// What is read is what the file held when it was opened, however it grows.
TEST(HostileFiles, AFileIsReadUpToTheSizeItHadWhenOpened) {
    MarkFolder f;
    const std::string path = f.put("grows.txt", "one\r\ntwo\r\n");
    files::LineReader reader(path, "grows.txt");
    std::ofstream(path, std::ios::binary | std::ios::app) << "three\r\nfour\r\n";
    std::vector<std::string> lines;
    for (std::string line; reader.next(line);)
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
}

// Temporary files a killed writer left are cleared once old; a fresh one
// (another player writing now) and other files are left alone.
TEST(OverwriteFile, StaleTemporaryFilesOfTheResultAreRemoved) {
    MarkFolder f;
    const std::string stale = f.put(".mark for game.txt.Ab3dE9", "5");
    const std::string fresh = f.put(".mark for game.txt.Zz9y8X", "2");
    const std::string other = f.put(".mark for other.txt.Ab3dE9", "5");
    const std::string near = f.put(".mark for game.txt.Ab3dE", "5");
    const timespec old[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
    for (const std::string& p : {stale, other, near})
        ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), old, 0), 0);
    files::overwriteFile((f.dir / "mark for game.txt").string(), "5\r\n");
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(fs::exists(near));
    EXPECT_EQ(contentOf(f.dir / "mark for game.txt"), "5\r\n");
}

// New result files take the usual permissions (the umask), or exactly
// rw-r--r-- in a pupil's folder, also under a umask that lets the group
// write; the process's umask is never changed.
TEST(OverwriteFile, NewFilesTakeTheirModeWithoutTouchingTheUmask) {
    MarkFolder f;
    const mode_t before = ::umask(002);
    files::overwriteFile((f.dir / "a.txt").string(), "5\r\n");
    files::overwriteFile((f.dir / "b.txt").string(), "5\r\n", files::NewFile::ReadableByAll);
    EXPECT_EQ(statOf(f.dir / "a.txt").st_mode & 0777, 0664u);
    EXPECT_EQ(statOf(f.dir / "b.txt").st_mode & 0777, 0644u);
    EXPECT_EQ(::umask(before), 002u);
}
