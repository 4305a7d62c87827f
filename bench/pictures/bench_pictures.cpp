// Decodes pictures of each format with our decoders and with QImageReader,
// side by side, from the same bytes in memory, and prints the time ratio.
// The pictures are made here: photo-like content (smooth gradients with
// noise) at a few common sizes, written by the libraries' encoders or, for
// the formats we read with decoders of our own, by Qt's writers.
//
// Usage: bench_pictures [--repeats N] [--tolerance T]   (default 5 runs, the
// best counts; a format is called slower when its ratio stays above 1 + T,
// default 0.05, after three more rounds, and the exit status is then 3).
//
// GIF clip art (640 x 480, few colours, a transparent background, half of
// them interlaced) is also decoded by giflib's own DGifSlurp, the library's
// work without any conversion to pixels: the line "gif-slurp" gives ours
// against it.
#include "pictures/encoders.h"
#include "pictures/loader.h"
#include "pictures/picture.h"
#include "pictures/tiff.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace taleplay::pictures;
using namespace taleplay::pictures::encoders;

namespace {

using Clock = std::chrono::steady_clock;
using Decoder = Picture (*)(Bytes, std::size_t);

struct Sample {
    std::string format; // as QImageReader names it, or empty if Qt cannot read it
    std::string label;
    Decoder decode;
    File bytes;
    int width, height;
};

// Interleaved 8-bit RGB(A) with smooth structure and some noise, so that
// compressed formats see realistic entropy.
std::vector<unsigned char> photo(int w, int h, int channels, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-6, 6);
    std::vector<unsigned char> s(std::size_t(w) * h * channels);
    std::size_t i = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int base[4] = {x * 255 / w, y * 255 / h, ((x + y) * 3) & 255, 255 - (x * 128 / w)};
            for (int c = 0; c < channels; ++c)
                s[i++] = static_cast<unsigned char>(std::clamp(base[c] + noise(rng), 0, 255));
        }
    return s;
}

File qtWrite(const QImage& img, const char* format) {
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    QImageWriter writer(&buf, format);
    if (!writer.write(img)) {
        std::fprintf(stderr, "Qt cannot write %s: %s\n", format,
                     writer.errorString().toUtf8().constData());
        return {};
    }
    return File(out.begin(), out.end());
}

QImage toQImage(const std::vector<unsigned char>& rgb, int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        std::memcpy(img.scanLine(y), rgb.data() + std::size_t(y) * w * 3, std::size_t(w) * 3);
    return img;
}

std::vector<Sample> makeSamples() {
    std::vector<Sample> out;
    const std::pair<int, int> sizes[] = {{320, 240}, {1024, 768}, {1920, 1080}};
    unsigned seed = 1;
    for (auto [w, h] : sizes) {
        std::string dim = std::to_string(w) + "x" + std::to_string(h);
        auto rgb = photo(w, h, 3, seed++);
        auto rgba = photo(w, h, 4, seed++);
        auto grey = photo(w, h, 1, seed++);
        out.push_back({"png", "png rgb " + dim, decodePng,
                       writePng(PngSpec{.width = w, .height = h}, rgb), w, h});
        out.push_back(
            {"png", "png rgba " + dim, decodePng,
             writePng(PngSpec{.width = w, .height = h, .colorType = PNG_COLOR_TYPE_RGBA}, rgba), w,
             h});
        PngSpec pal{.width = w, .height = h, .colorType = PNG_COLOR_TYPE_PALETTE};
        for (int i = 0; i < 256; ++i)
            pal.palette.push_back({static_cast<unsigned char>(i),
                                   static_cast<unsigned char>(255 - i),
                                   static_cast<unsigned char>(i / 2)});
        out.push_back({"png", "png palette " + dim, decodePng, writePng(pal, grey), w, h});
        out.push_back(
            {"jpeg", "jpeg rgb q90 " + dim, decodeJpeg, writeJpeg(w, h, 3, rgb, 90), w, h});
        out.push_back(
            {"jpeg", "jpeg grey q90 " + dim, decodeJpeg, writeJpeg(w, h, 1, grey, 90), w, h});
        out.push_back({"jpeg", "jpeg progressive " + dim, decodeJpeg,
                       writeJpeg(w, h, 3, rgb, 85, JpegScans::Progressive), w, h});
        GifSpec gif{.screenWidth = w, .screenHeight = h, .width = w, .height = h};
        gif.palette = pal.palette;
        out.push_back({"gif", "gif " + dim, decodeGif, writeGif(gif, grey), w, h});
        out.push_back({"", "tiff rgb lzw " + dim, decodeTiff,
                       writeTiff(TiffSpec{.width = w, .height = h, .compression = 5}, rgb), w, h});
        out.push_back({"", "tiff rgba tiles " + dim, decodeTiff,
                       writeTiff(TiffSpec{.width = w,
                                          .height = h,
                                          .samplesPerPixel = 4,
                                          .extraSamples = 2,
                                          .tileSize = 256},
                                 rgba),
                       w, h});
        QImage q = toQImage(rgb, w, h);
        out.push_back({"bmp", "bmp 24-bit " + dim, decodeBmp, qtWrite(q, "bmp"), w, h});
        out.push_back({"ppm", "ppm " + dim, decodePnm, qtWrite(q, "ppm"), w, h});
        out.push_back({"pgm", "pgm " + dim, decodePnm,
                       qtWrite(q.convertToFormat(QImage::Format_Grayscale8), "pgm"), w, h});
        if (w <= 256 || h <= 256)
            continue;
        out.push_back(
            {"ico", "ico 256x256", decodeIco, qtWrite(q.copy(0, 0, 256, 256), "ico"), 256, 256});
    }
    return out;
}

// Clip art as a teacher draws it: a transparent background (index 0), filled
// and outlined shapes and stripes in a dozen colours.
std::vector<unsigned char> clipArt(int w, int h, unsigned seed) {
    std::vector<unsigned char> s(std::size_t(w) * h, 0);
    std::mt19937 rng(seed);
    auto colour = [&] { return static_cast<unsigned char>(1 + rng() % 12); };
    for (int shape = 0; shape < 14; ++shape) {
        const int cx = int(rng() % unsigned(w)), cy = int(rng() % unsigned(h));
        const int rx = 20 + int(rng() % 120), ry = 20 + int(rng() % 100);
        const unsigned char fill = colour(), edge = colour();
        const bool round = shape % 2 == 0;
        for (int y = std::max(0, cy - ry); y < std::min(h, cy + ry); ++y)
            for (int x = std::max(0, cx - rx); x < std::min(w, cx + rx); ++x) {
                const double dx = double(x - cx) / rx, dy = double(y - cy) / ry;
                const double d = round ? dx * dx + dy * dy : std::max(dx * dx, dy * dy);
                if (d <= 1.0)
                    s[std::size_t(y) * w + x] = d > 0.85 ? edge : fill;
            }
    }
    for (int y = h - 40; y < h - 30; ++y) // a stripe across, as a ground line
        for (int x = 0; x < w; ++x)
            s[std::size_t(y) * w + x] = static_cast<unsigned char>(1 + (x / 40) % 12);
    return s;
}

struct GifSource {
    const File* file;
    std::size_t pos;
};

int readGif(GifFileType* gif, GifByteType* out, int count) {
    auto* src = static_cast<GifSource*>(gif->UserData);
    const std::size_t n = std::min(std::size_t(count), src->file->size() - src->pos);
    std::memcpy(out, src->file->data() + src->pos, n);
    src->pos += n;
    return int(n);
}

// giflib's own whole-file read: every frame's raster, nothing converted.
void slurp(const File& file) {
    GifSource src{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&src, readGif, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK)
        std::fprintf(stderr, "DGifSlurp failed\n");
    if (gif)
        DGifCloseFile(gif, &error);
}

struct Timing {
    double ours = 1e30, qt = 1e30, qtArgb = 1e30;
};

double seconds(const std::function<void()>& run) {
    const auto t0 = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The best of `repeats` runs of each reader, taken in turns so that a burst
// of load on a shared machine falls on both alike.
void measure(const Sample& s, int repeats, Timing& t) {
    QByteArray data(reinterpret_cast<const char*>(s.bytes.data()), qsizetype(s.bytes.size()));
    auto qtRead = [&] {
        QBuffer buf(&data);
        buf.open(QIODevice::ReadOnly);
        QImageReader reader(&buf, s.format.c_str());
        QImage img = reader.read();
        if (img.isNull())
            std::fprintf(stderr, "Qt cannot read %s\n", s.label.c_str());
        return img;
    };
    for (int i = 0; i < repeats; ++i) {
        t.ours = std::min(t.ours, seconds([&] { s.decode(s.bytes.data(), s.bytes.size()); }));
        if (s.format.empty())
            continue;
        t.qt = std::min(t.qt, seconds([&] { qtRead(); }));
        t.qtArgb = std::min(t.qtArgb, seconds([&] {
                                QImage img = qtRead();
                                if (img.format() != QImage::Format_ARGB32 &&
                                    img.format() != QImage::Format_RGB32)
                                    img = img.convertToFormat(QImage::Format_ARGB32);
                            }));
    }
}

std::string familyOf(const Sample& s) {
    return s.label.substr(0, s.label.find(' '));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int repeats = 5;
    double tolerance = 0.05;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--tolerance" && i + 1 < argc)
            tolerance = std::atof(argv[++i]);
        else if (a == "--repeats" && i + 1 < argc)
            repeats = std::max(1, std::atoi(argv[++i]));
        else
            repeats = std::max(1, std::atoi(argv[i]));
    }
    std::vector<Sample> samples = makeSamples();
    for (const Sample& s : samples) {
        if (s.bytes.empty())
            return 1;
        Picture check = s.decode(s.bytes.data(), s.bytes.size());
        if (check.width != s.width || check.height != s.height) {
            std::fprintf(stderr, "%s: decoded as %d x %d\n", s.label.c_str(), check.width,
                         check.height);
            return 1;
        }
    }

    std::vector<Timing> timings(samples.size());
    std::vector<std::string> families;
    for (const Sample& s : samples)
        if (!s.format.empty() &&
            std::find(families.begin(), families.end(), familyOf(s)) == families.end())
            families.push_back(familyOf(s));
    auto ratioOf = [&](const std::string& family) {
        double ours = 0, qt = 0;
        for (std::size_t i = 0; i < samples.size(); ++i)
            if (familyOf(samples[i]) == family) {
                ours += timings[i].ours;
                qt += timings[i].qtArgb;
            }
        return std::pair{ours, qt};
    };
    for (std::size_t i = 0; i < samples.size(); ++i)
        measure(samples[i], repeats, timings[i]);
    // A format that looks slower is measured again, up to three more rounds,
    // before it counts as slower: one round on a busy machine proves little.
    for (const std::string& family : families)
        for (int round = 0; round < 3; ++round) {
            auto [ours, qt] = ratioOf(family);
            if (ours <= qt * (1 + tolerance))
                break;
            for (std::size_t i = 0; i < samples.size(); ++i)
                if (familyOf(samples[i]) == family)
                    measure(samples[i], repeats, timings[i]);
        }

    // Qt's reader returns the cheapest format for each file (8-bit grey for
    // grey JPEGs and PGMs, indexed for palette PNGs and GIFs); our decoders
    // always produce straight 0xAARRGGBB. "Qt+argb" adds the conversion to
    // that same result and is the column the ratio compares against.
    std::printf("%-28s %9s %9s %9s %9s %6s\n", "picture", "bytes", "ours ms", "Qt ms", "Qt+argb",
                "ratio");
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const Sample& s = samples[i];
        const Timing& t = timings[i];
        if (s.format.empty()) {
            std::printf("%-28s %9zu %9.2f %9s %9s %6s\n", s.label.c_str(), s.bytes.size(),
                        t.ours * 1e3, "-", "-", "-");
            continue;
        }
        std::printf("%-28s %9zu %9.2f %9.2f %9.2f %6.2f\n", s.label.c_str(), s.bytes.size(),
                    t.ours * 1e3, t.qt * 1e3, t.qtArgb * 1e3, t.ours / t.qtArgb);
    }
    std::printf("\n%-8s %9s %9s %6s\n", "format", "ours ms", "Qt+argb", "ratio");
    bool slower = false;
    for (const std::string& family : families) {
        auto [ours, qt] = ratioOf(family);
        const bool beyond = ours > qt * (1 + tolerance);
        slower = slower || beyond;
        std::printf("%-8s %9.2f %9.2f %6.3f%s\n", family.c_str(), ours * 1e3, qt * 1e3, ours / qt,
                    beyond ? "  slower" : "");
    }
    std::printf("ratio = ours / (QImageReader + conversion to ARGB32), the best of %d runs of "
                "each picture, summed over a format's pictures; lower is faster.\n"
                "A format counts as slower beyond %.0f %% after up to three more rounds.\n"
                "tiff: no Qt reader is installed here.\n",
                repeats, tolerance * 100);

    // GIF clip art against giflib's DGifSlurp, in turns, the best runs
    // counting; more rounds than the others, as each decode is short.
    GifSpec clip{.screenWidth = 640, .screenHeight = 480, .width = 640, .height = 480};
    for (int i = 0; i < 16; ++i)
        clip.palette.push_back({static_cast<unsigned char>(i * 53), static_cast<unsigned char>(i * 97),
                                static_cast<unsigned char>(255 - i * 31)});
    clip.transparent = 0;
    std::printf("\n%-28s %9s %9s %9s %6s\n", "gif clip art", "bytes", "ours ms", "slurp ms",
                "ratio");
    double oursTotal = 0, slurpTotal = 0;
    for (int i = 0; i < 4; ++i) {
        clip.interlaced = i % 2 == 1;
        const File file = writeGif(clip, clipArt(640, 480, 50 + i));
        double ours = 1e30, library = 1e30;
        for (int r = 0; r < repeats * 4; ++r) {
            ours = std::min(ours, seconds([&] { decodeGif(file.data(), file.size()); }));
            library = std::min(library, seconds([&] { slurp(file); }));
        }
        oursTotal += ours, slurpTotal += library;
        std::printf("%-28s %9zu %9.3f %9.3f %6.2f\n",
                    (std::string("gif 640x480") + (clip.interlaced ? " interlaced" : "")).c_str(),
                    file.size(), ours * 1e3, library * 1e3, ours / library);
    }
    std::printf("%-8s %9.3f %9.3f %6.3f\n", "gif-slurp", oursTotal * 1e3, slurpTotal * 1e3,
                oursTotal / slurpTotal);
    return slower ? 3 : 0;
}
