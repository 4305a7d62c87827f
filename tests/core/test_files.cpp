#include "core/errors.h"
#include "core/files.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
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

TEST(OverwriteFile, FailureIsReportedAndOldContentKept) {
    try {
        files::overwriteFile(scratch("no-such-dir").string() + "/f.txt", "2\r\n");
        FAIL() << "no error";
    } catch (const InOutError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
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
