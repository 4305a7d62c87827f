#include "core/errors.h"
#include "picture_test_support.h"
#include "pictures/encoders.h"
#include "pictures/loader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::encoders;
using namespace taleplay::pictures::test_support;

namespace {

class Loader : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("taleplay_loader_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        clearPictureCache();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string write(const std::string& name, const File& bytes) {
        std::string path = (dir_ / name).string();
        writeFile(path, bytes);
        return path;
    }

    std::string errorOf(const std::string& name) {
        try {
            loadPicture((dir_ / name).string(), name);
        } catch (const TaleError& e) {
            return e.what();
        }
        return "(no error)";
    }

    std::filesystem::path dir_;
};

File png(int w, int h, unsigned char value) {
    return writePng(PngSpec{.width = w, .height = h},
                    std::vector<unsigned char>(std::size_t(w) * h * 3, value));
}

} // namespace

TEST_F(Loader, ExtensionsChooseTheDecoderWhateverTheirCase) {
    GifSpec gif{.screenWidth = 2, .screenHeight = 1, .width = 2, .height = 1};
    gif.palette = {{1, 2, 3}, {4, 5, 6}};
    struct Row {
        const char* name;
        File file;
        int width;
    } rows[] = {
        {"a.PNG", png(3, 2, 9), 3},
        {"b.Jpe", writeJpeg(5, 4, 1, std::vector<unsigned char>(20, 50)), 5},
        {"c.jfif", writeJpeg(6, 4, 1, std::vector<unsigned char>(24, 50)), 6},
        {"d.GIF", writeGif(gif, {0, 1}), 2},
        {"e.tif", writeTiff(TiffSpec{.width = 7, .height = 1}, std::vector<unsigned char>(21, 1)),
         7},
        {"f.fax", writeRawFax(2, std::vector<unsigned char>(432, 0x0F), true), 1728},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto pic = loadPicture(write(r.name, r.file), r.name);
        EXPECT_EQ(pic->width, r.width);
    }
    // A PNG named .jpg goes to the JPEG decoder and fails with its message.
    write("png.jpg", png(2, 2, 1));
    EXPECT_EQ(errorOf("png.jpg"),
              "JPEG picture is damaged (Not a JPEG file: starts with 0x89 0x50)");
}

TEST_F(Loader, UnknownFormatsAndMisnamedFilesFailClearly) {
    struct Row {
        const char* name;
        std::string expected;
    } rows[] = {
        {"x.Xyz", "Unknown picture file extension (.Xyz)"},
        {"noextension", "Unknown picture file extension (.)"},
        {"dir.d/noextension", "Unknown picture file extension (.)"},
        {"x.WMF", "WMF picture is damaged (not a Windows Metafile)"},
        {"x.eps", "EPS picture is damaged (not an EPS file)"},
        {"x.psp", "Paint Shop Pro picture is damaged (not a Paint Shop Pro file)"},
        {"x.Cut", "Dr. Halo picture has an unsupported size (20617 x 18254)"}, // a PNG
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        write(std::filesystem::path(r.name).filename().string(), png(1, 1, 0));
        EXPECT_EQ(errorOf(r.name), r.expected);
    }
}

// Metafiles are drawn by the platform layer's renderer; without one (the
// checker, these tests) they are read but not drawn.
TEST_F(Loader, MetafilesNeedARendererToBeDrawnButNotToBeChecked) {
    File wmf = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 10, 0, 10, 0, 96, 0,
                0,    0,    0,    0,    0, 0, 1, 0, 9, 0, 0,  3, 12, 0, 0,  0,
                0,    0,    0,    0,    0, 0, 0, 0, 3, 0, 0,  0, 0,  0};
    const std::string path = write("clip.wmf", wmf);
    EXPECT_EQ(errorOf("clip.wmf"), "WMF pictures cannot be drawn here (no renderer)");
    EXPECT_NO_THROW(checkPicture(path, "clip.wmf"));
    wmf[22] = 7;
    write("clip.wmf", wmf);
    EXPECT_THROW(checkPicture(path, "clip.wmf"), PictureError);
}

// A Dr. Halo picture takes its colours from the palette file of the same
// name, found in any letter case, and is decoded anew when that changes.
TEST_F(Loader, DrHaloPicturesTakeThePaletteFileBesideThem) {
    // 1 x 1 of colour 1.
    const std::string path = write("scene.cut", File{1, 0, 1, 0, 0, 0, 3, 0, 0x81, 1, 0});
    EXPECT_EQ(loadPicture(path, path)->pixels[0], 0xFFFFFFFFu) << "grey without a palette";

    File pal = {'A', 'H', 0, 0, 0, 0, 'P', 0, 0, 0, 0, 0, 1, 0, 255, 0, 255, 0, 255, 0};
    pal.resize(40, 0);
    for (unsigned v : {0u, 0u, 0u, 255u, 0u, 0u})
        put16le(pal, v);
    write("SCENE.PAL", pal);
    EXPECT_EQ(loadPicture(path, path)->pixels[0], 0xFFFF0000u);

    pal[40 + 6] = 0, pal[40 + 8] = 255;
    write("SCENE.PAL", pal);
    EXPECT_EQ(loadPicture(path, path)->pixels[0], 0xFF00FF00u);
    EXPECT_NO_THROW(checkPicture(path, path));
}

TEST_F(Loader, MissingAndDamagedFiles) {
    EXPECT_THROW(loadPicture((dir_ / "none.png").string(), "none.png"), InOutError);
    File cut = png(50, 50, 3);
    cut.resize(cut.size() / 2);
    write("cut.png", cut);
    EXPECT_EQ(errorOf("cut.png"), "PNG picture is damaged (file is truncated)");
}

TEST_F(Loader, EachFileIsDecodedOnceUntilItChanges) {
    std::string path = write("p.png", png(4, 4, 10));
    auto first = loadPicture(path, "p.png");
    EXPECT_EQ(loadPicture(path, "p.png"), first) << "same file, same pixels";

    // Same size, and the modification time put back: the change time and
    // inode still tell the versions apart.
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    write("p.png", png(4, 4, 200));
    timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    auto second = loadPicture(path, "p.png");
    EXPECT_NE(second, first);
    EXPECT_EQ(second->pixels[0], 0xFFC8C8C8u);
    EXPECT_EQ(first->pixels[0], 0xFF0A0A0Au) << "pixels a control still shows are untouched";

    write("p.png", png(8, 2, 1));
    EXPECT_EQ(loadPicture(path, "p.png")->width, 8);
}

TEST_F(Loader, PicturesStillShownAreSharedAfterTheStrongListForgetsThem) {
    std::string path = write("shown.png", png(2, 2, 5));
    auto shown = loadPicture(path, "shown.png");
    // Push it out of the recent list with many other pictures.
    for (int i = 0; i < 80; ++i) {
        std::string name = "other" + std::to_string(i) + ".png";
        loadPicture(write(name, png(1, 1, 1)), name);
    }
    EXPECT_EQ(loadPicture(path, "shown.png"), shown);
}
