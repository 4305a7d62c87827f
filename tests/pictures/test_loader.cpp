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

namespace {

// `f` with the value of its TIFF tag `tag` (a SHORT or LONG in the first
// directory of a little-endian file) set to `value`.
File withTiffTag(File f, unsigned tag, std::uint32_t value) {
    auto u16 = [&](std::size_t at) { return unsigned(f[at] | f[at + 1] << 8); };
    const std::size_t ifd = f[4] | f[5] << 8 | f[6] << 16 | std::size_t(f[7]) << 24;
    for (unsigned i = 0, n = u16(ifd); i < n; ++i) {
        const std::size_t e = ifd + 2 + 12 * i;
        if (u16(e) != tag)
            continue;
        const bool isShort = u16(e + 2) == 3;
        for (int b = 0; b < (isShort ? 2 : 4); ++b)
            f[e + 8 + b] = static_cast<unsigned char>(value >> (8 * b));
        return f;
    }
    ADD_FAILURE() << "no tag " << tag;
    return f;
}

// The budget back as it was when the test ends.
struct Budget {
    explicit Budget(std::int64_t bytes) { setPictureMemoryBudget(bytes); }
    ~Budget() { setPictureMemoryBudget(0); }
};

} // namespace

// What a library needs beside the pixels counts with them: a picture whose
// pixels fit may still be refused before anything large is allocated.
TEST_F(Loader, ADecodeStaysWithinItsMemoryLimit) {
    // Grey, progressive, 7000 x 7000: 94 MiB of coefficients and 187 MiB of
    // pixels, each within the limit, together past it.
    File jpeg =
        writeJpeg(16, 16, 1, std::vector<unsigned char>(256, 90), 90, JpegScans::Progressive);
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC2) {
            jpeg[i + 5] = 7000 >> 8, jpeg[i + 6] = 7000 & 0xFF;
            jpeg[i + 7] = 7000 >> 8, jpeg[i + 8] = 7000 & 0xFF;
            break;
        }
    write("big.jpg", jpeg);
    EXPECT_EQ(errorOf("big.jpg"), "JPEG picture needs more than 256 MiB of memory to decode");

    // One LZW strip of 6500 x 6500 RGB: a 121 MiB strip buffer beside
    // 161 MiB of pixels.
    File tiff = writeTiff(TiffSpec{.width = 16, .height = 16, .compression = 5, .rowsPerStrip = 16},
                          std::vector<unsigned char>(16 * 16 * 3, 7));
    for (unsigned tag : {256u, 257u, 278u})
        tiff = withTiffTag(tiff, tag, 6500);
    write("big.tif", tiff);
    EXPECT_EQ(errorOf("big.tif"), "TIFF picture needs more than 256 MiB of memory to decode");
}

// All pictures alive together stay within the budget: pictures kept only for
// reuse are let go first, and a picture that still does not fit fails with
// a message that says so.
TEST_F(Loader, AllPicturesShownStayWithinTheBudget) {
    const Budget budget(4 << 20);
    std::vector<std::shared_ptr<const Picture>> shown;
    for (int i = 0; i < 4; ++i) {
        const std::string name = "p" + std::to_string(i) + ".png";
        shown.push_back(loadPicture(write(name, png(512, 512, 10 + i)), name)); // 1 MiB each
    }
    write("more.png", png(512, 512, 99));
    EXPECT_EQ(errorOf("more.png"),
              "Not enough memory for the PNG picture of 512 x 512: the pictures shown take 4 MiB "
              "of the 4 MiB all pictures may take (TALEPLAY_PICTURE_MEMORY)");
    EXPECT_LE(livePictureBytes(), 4 << 20);
    // No longer shown, only kept for reuse: they make room.
    shown.clear();
    EXPECT_EQ(errorOf("more.png"), "(no error)");
    EXPECT_LE(livePictureBytes(), 4 << 20);
}

TEST_F(Loader, TheBudgetComesFromTheEnvironment) {
    const Budget fromEnvironment(0);
    ::setenv("TALEPLAY_PICTURE_MEMORY", "300", 1);
    EXPECT_EQ(pictureMemoryBudget(), std::int64_t(300) << 20);
    setPictureMemoryBudget(0);
    ::setenv("TALEPLAY_PICTURE_MEMORY", "lots", 1);
    EXPECT_EQ(pictureMemoryBudget(), std::int64_t(1024) << 20);
    ::unsetenv("TALEPLAY_PICTURE_MEMORY");
}

// The copy kept is the one shown: a photo shown at an eighth of its size
// costs the budget an eighth squared, decoded at libjpeg's 1/8 scale; other
// sizes of the same file are kept apart, and the same size is shared.
TEST_F(Loader, PicturesAreKeptAtTheSizeShownAndCountSo) {
    std::vector<unsigned char> samples(std::size_t(800) * 600 * 3);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<unsigned char>((i * 7919) >> 5);
    const std::string photo = write("photo.jpg", withExifOrientation(writeJpeg(800, 600, 3, samples), 6));
    const Budget budget(1 << 20); // the whole photo would take 1.8 MiB
    const Shown small{true, 75, 100, false};
    const auto kept = loadPicture(photo, "photo.jpg", small);
    EXPECT_EQ(kept->width, 75);
    EXPECT_EQ(kept->height, 100);
    EXPECT_EQ(kept->naturalWidth(), 600); // upright
    EXPECT_EQ(kept->naturalHeight(), 800);
    EXPECT_EQ(passingPictureBytes(), 0);
    EXPECT_EQ(loadPicture(photo, "photo.jpg", small), kept);
    const auto larger = loadPicture(photo, "photo.jpg", Shown{true, 150, 200, false});
    EXPECT_NE(larger, kept);
    EXPECT_EQ(larger->width, 150);
    EXPECT_EQ(naturalSize(photo, "photo.jpg"), (Extent{600, 800}));
    EXPECT_THROW(loadPicture(photo, "photo.jpg"), PictureBudgetError) << "the whole photo";
    EXPECT_EQ(passingPictureBytes(), 0);
}

// Pictures decoded ahead on other threads are the ones loadPicture gives,
// whichever thread got to them first; a picture that fails there fails again
// where it is loaded, with its own message.
TEST_F(Loader, PicturesDecodedAheadAreTheOnesLoaded) {
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i)
        paths.push_back(write("p" + std::to_string(i) + ".png",
                              writePng(PngSpec{.width = 64, .height = 48},
                                       std::vector<unsigned char>(64 * 48 * 3, i * 20))));
    const std::string broken = write("broken.png", File{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    const Shown shown{true, 32, 24, false};
    for (int threads : {0, 1, 3}) {
        SCOPED_TRACE(threads);
        setPrefetchThreads(threads);
        clearPictureCache();
        std::vector<std::shared_ptr<const Picture>> loaded;
        {
            Prefetch ahead;
            for (const std::string& p : paths)
                ahead.add(p, p, shown);
            ahead.add(broken, broken, shown);
            EXPECT_EQ(ahead.size(), threads == 0 ? 0u : paths.size() + 1);
            for (const std::string& p : paths)
                loaded.push_back(loadPicture(p, p, shown));
            EXPECT_THROW(loadPicture(broken, broken, shown), PictureError);
        }
        for (std::size_t i = 0; i < paths.size(); ++i) {
            EXPECT_EQ(loaded[i]->width, 32);
            EXPECT_EQ(loaded[i]->pixels[0], 0xFF000000u | (i * 20) * 0x010101u);
            EXPECT_EQ(loadPicture(paths[i], paths[i], shown), loaded[i]) << "kept, not decoded again";
        }
    }
    setPrefetchThreads(-1);
}
