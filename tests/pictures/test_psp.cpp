// Paint Shop Pro files written here from the published block layout of
// versions 3 (Paint Shop Pro 5) to 6 (Paint Shop Pro 8): layers merged, or
// the composite image of the newer files; compared pixel by pixel.
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

constexpr auto decode = decodeFile<decodePsp>;

enum Compression { None = 0, Rle = 1, Lz77 = 2 };

class PspWriter {
  public:
    explicit PspWriter(unsigned major) : major_(major) {}

    // A block: in version 3 its first chunk's size is in the header; later
    // versions start the chunk with its size.
    File block(unsigned id, const File& chunk, const File& rest = {}) const {
        File b = {'~', 'B', 'K', 0};
        put16le(b, id);
        File body;
        if (major_ > 3)
            put32le(body, static_cast<std::uint32_t>(chunk.size() + 4));
        body.insert(body.end(), chunk.begin(), chunk.end());
        body.insert(body.end(), rest.begin(), rest.end());
        if (major_ <= 3)
            put32le(b, static_cast<std::uint32_t>(chunk.size()));
        put32le(b, static_cast<std::uint32_t>(body.size()));
        b.insert(b.end(), body.begin(), body.end());
        return b;
    }

    File image(int w, int h, Compression c, int depth, bool grey = false) const {
        File a;
        put32le(a, static_cast<std::uint32_t>(w));
        put32le(a, static_cast<std::uint32_t>(h));
        a.resize(a.size() + 8, 0); // resolution
        a.push_back(0);
        put16le(a, c);
        put16le(a, static_cast<unsigned>(depth));
        put16le(a, depth == 24 ? 3 : 1);
        put32le(a, depth == 24 ? 1u << 24 : 1u << depth);
        a.push_back(grey ? 1 : 0);
        put32le(a, 0);
        put32le(a, 0);
        put16le(a, 1);
        if (major_ > 3)
            put32le(a, 1);
        return block(0, a);
    }

    File palette(const std::vector<std::uint32_t>& rgb) const {
        File count;
        put32le(count, static_cast<std::uint32_t>(rgb.size()));
        File entries;
        for (std::uint32_t c : rgb) {
            entries.push_back(c & 0xFF);
            entries.push_back((c >> 8) & 0xFF);
            entries.push_back((c >> 16) & 0xFF);
            entries.push_back(0);
        }
        if (major_ <= 3) {
            count.insert(count.end(), entries.begin(), entries.end());
            return block(2, count);
        }
        return block(2, count, entries);
    }

    // One channel: rows of `rowBytes` padded to four bytes, compressed.
    File channel(unsigned bitmapType, unsigned channelType, Compression c,
                 const std::vector<File>& rows) const {
        File plain;
        for (const File& row : rows) {
            plain.insert(plain.end(), row.begin(), row.end());
            plain.resize((plain.size() + 3) / 4 * 4, 0);
        }
        File packed;
        if (c == None) {
            packed = plain;
        } else if (c == Rle) {
            for (std::size_t i = 0; i < plain.size();) {
                std::size_t n = 1;
                while (i + n < plain.size() && plain[i + n] == plain[i] && n < 127)
                    ++n;
                if (n > 1) {
                    packed.push_back(static_cast<unsigned char>(128 + n));
                    packed.push_back(plain[i]);
                } else {
                    packed.push_back(1);
                    packed.push_back(plain[i]);
                }
                i += n;
            }
        } else {
            uLongf size = compressBound(static_cast<uLong>(plain.size()));
            packed.resize(size);
            compress(packed.data(), &size, plain.data(), static_cast<uLong>(plain.size()));
            packed.resize(size);
        }
        File info;
        put32le(info, static_cast<std::uint32_t>(packed.size()));
        put32le(info, static_cast<std::uint32_t>(plain.size()));
        put16le(info, bitmapType);
        put16le(info, channelType);
        return block(5, info, packed);
    }

    struct Layer {
        int left = 0, top = 0, width = 0, height = 0;
        unsigned opacity = 255;
        bool visible = true;
        std::vector<File> channels;
    };

    File layer(const Layer& l) const {
        File info;
        if (major_ <= 3) {
            info.resize(256, 0);
            std::memcpy(info.data(), "Layer", 5);
        } else {
            put16le(info, 5);
            info.insert(info.end(), {'L', 'a', 'y', 'e', 'r'});
        }
        info.push_back(1); // raster
        for (int v : {l.left, l.top, l.left + l.width, l.top + l.height})
            put32le(info, static_cast<std::uint32_t>(v));
        for (int v : {0, 0, l.width, l.height})
            put32le(info, static_cast<std::uint32_t>(v));
        info.push_back(static_cast<unsigned char>(l.opacity));
        info.push_back(0);
        info.push_back(l.visible ? 1 : 0);
        info.push_back(0);
        info.push_back(0);
        info.resize(info.size() + 32, 0); // mask rectangles
        info.resize(info.size() + 3, 0);
        put16le(info, 0);
        info.resize(info.size() + 40, 0); // blend ranges
        File counts;
        put16le(counts, 1);
        put16le(counts, static_cast<unsigned>(l.channels.size()));
        File rest;
        if (major_ <= 3) {
            info.insert(info.end(), counts.begin(), counts.end());
        } else {
            put32le(rest, static_cast<std::uint32_t>(counts.size() + 4));
            rest.insert(rest.end(), counts.begin(), counts.end());
        }
        for (const File& c : l.channels)
            rest.insert(rest.end(), c.begin(), c.end());
        return block(4, info, rest);
    }

    File layers(const std::vector<File>& ls) const {
        File all;
        for (const File& l : ls)
            all.insert(all.end(), l.begin(), l.end());
        File b = {'~', 'B', 'K', 0};
        put16le(b, 3);
        if (major_ <= 3)
            put32le(b, 0);
        put32le(b, static_cast<std::uint32_t>(all.size()));
        b.insert(b.end(), all.begin(), all.end());
        return b;
    }

    // A composite image bank of one full-size composite, its channels
    // beside its attributes.
    File composite(int w, int h, Compression c, const std::vector<File>& channels) const {
        File attributes;
        put32le(attributes, static_cast<std::uint32_t>(w));
        put32le(attributes, static_cast<std::uint32_t>(h));
        put16le(attributes, 24);
        put16le(attributes, c);
        put16le(attributes, 3);
        put32le(attributes, 1u << 24);
        put16le(attributes, 0); // the composite, not a thumbnail
        File rest = block(17, attributes);
        for (const File& ch : channels)
            rest.insert(rest.end(), ch.begin(), ch.end());
        File count;
        put32le(count, 1);
        return block(16, count, rest);
    }

    File file(const std::vector<File>& blocks) const {
        File f(32, 0);
        const char sig[] = "Paint Shop Pro Image File\n\x1a";
        std::memcpy(f.data(), sig, sizeof sig - 1);
        put16le(f, major_);
        put16le(f, 0);
        for (const File& b : blocks)
            f.insert(f.end(), b.begin(), b.end());
        return f;
    }

  private:
    unsigned major_;
};

// Rows of one sample each for a w x h channel of constant value.
std::vector<File> flat(int w, int h, unsigned char v) {
    return std::vector<File>(static_cast<std::size_t>(h), File(static_cast<std::size_t>(w), v));
}

File rgbLayerFile(unsigned major, Compression c) {
    PspWriter p(major);
    const std::vector<File> red = {{255, 0, 10}, {0, 0, 10}};
    const std::vector<File> green = {{0, 255, 20}, {0, 0, 20}};
    const std::vector<File> blue = {{0, 0, 30}, {255, 0, 30}};
    return p.file(
        {p.image(3, 2, c, 24),
         p.layers({p.layer({.width = 3,
                            .height = 2,
                            .channels = {p.channel(0, 1, c, red), p.channel(0, 2, c, green),
                                         p.channel(0, 3, c, blue)}})})});
}

const std::vector<std::uint32_t> kRgbLayer = {kRed, kGreen, 0xFF0A141E, kBlue, kBlack, 0xFF0A141E};

} // namespace

TEST(PspDecoder, ReadsTheLayersOfEveryVersionAndCompression) {
    for (unsigned major : {3u, 4u, 5u, 6u})
        for (Compression c : {None, Rle, Lz77}) {
            SCOPED_TRACE(testing::Message() << "version " << major << ", compression " << c);
            const File f = rgbLayerFile(major, c);
            seed("v" + std::to_string(major) + "-compression" + std::to_string(c) + ".psp", f);
            const Picture pic = decode(f);
            EXPECT_EQ(pic.width, 3);
            EXPECT_EQ(pic.height, 2);
            EXPECT_EQ(pic.pixels, kRgbLayer);
            EXPECT_FALSE(pic.hasAlpha);
        }
}

TEST(PspDecoder, MergesLayersWithTheirPlaceOpacityAndMask) {
    PspWriter p(4);
    const File background = p.layer(
        {.width = 4,
         .height = 1,
         .channels = {p.channel(0, 1, Rle, flat(4, 1, 0)), p.channel(0, 2, Rle, flat(4, 1, 0)),
                      p.channel(0, 3, Rle, flat(4, 1, 200))}});
    // Two white pixels from x = 1, half opaque, the second masked out.
    const File top = p.layer(
        {.left = 1,
         .width = 2,
         .height = 1,
         .opacity = 128,
         .channels = {p.channel(0, 1, Rle, flat(2, 1, 255)), p.channel(0, 2, Rle, flat(2, 1, 255)),
                      p.channel(0, 3, Rle, flat(2, 1, 255)), p.channel(1, 0, Rle, {{255, 0}})}});
    const File hidden = p.layer(
        {.width = 4,
         .height = 1,
         .visible = false,
         .channels = {p.channel(0, 1, Rle, flat(4, 1, 9)), p.channel(0, 2, Rle, flat(4, 1, 9)),
                      p.channel(0, 3, Rle, flat(4, 1, 9))}});
    const File f = p.file({p.image(4, 1, Rle, 24), p.layers({background, top, hidden})});
    seed("three-layers.psp", f);
    const Picture pic = decode(f);
    EXPECT_EQ(pic.pixels,
              (std::vector<std::uint32_t>{0xFF0000C8, 0xFF8080E4, 0xFF0000C8, 0xFF0000C8}));
    EXPECT_FALSE(pic.hasAlpha);

    // A layer that does not cover the picture leaves the rest transparent.
    const File f2 = p.file({p.image(4, 1, Rle, 24), p.layers({top})});
    const Picture part = decode(f2);
    EXPECT_EQ(part.pixels[0], 0u);
    EXPECT_EQ(part.pixels[1] >> 24, 128u);
    EXPECT_TRUE(part.hasAlpha);
}

TEST(PspDecoder, PrefersTheCompositeImage) {
    PspWriter p(6);
    const File composite =
        p.composite(2, 1, Lz77,
                    {p.channel(0, 1, Lz77, {{1, 2}}), p.channel(0, 2, Lz77, {{3, 4}}),
                     p.channel(0, 3, Lz77, {{5, 6}})});
    const File layer = p.layer(
        {.width = 2,
         .height = 1,
         .channels = {p.channel(0, 1, Lz77, flat(2, 1, 0)), p.channel(0, 2, Lz77, flat(2, 1, 0)),
                      p.channel(0, 3, Lz77, flat(2, 1, 0))}});
    const File f = p.file({p.image(2, 1, Lz77, 24), composite, p.layers({layer})});
    seed("composite.psp", f);
    EXPECT_EQ(decode(f).pixels, (std::vector<std::uint32_t>{0xFF010305, 0xFF020406}));
}

TEST(PspDecoder, ReadsPalettedAndGreyLayers) {
    for (unsigned major : {3u, 5u}) {
        SCOPED_TRACE(major);
        PspWriter p(major);
        const File pal = p.palette({0xFF0000, 0x00FF00, 0x0000FF});
        const File eight = p.file(
            {p.image(3, 1, None, 8), pal,
             p.layers({p.layer(
                 {.width = 3, .height = 1, .channels = {p.channel(0, 0, None, {{2, 0, 1}})}})})});
        seed("v" + std::to_string(major) + "-8-bits.psp", eight);
        EXPECT_EQ(decode(eight).pixels, (std::vector<std::uint32_t>{kBlue, kRed, kGreen}));

        // Four bits a pixel, the high nibble first.
        const File four = p.file(
            {p.image(3, 1, Rle, 4), pal,
             p.layers({p.layer(
                 {.width = 3, .height = 1, .channels = {p.channel(0, 0, Rle, {{0x12, 0x00}})}})})});
        EXPECT_EQ(decode(four).pixels, (std::vector<std::uint32_t>{kGreen, kBlue, kRed}));

        const File grey = p.file(
            {p.image(2, 1, None, 8, true),
             p.layers({p.layer(
                 {.width = 2, .height = 1, .channels = {p.channel(0, 0, None, {{0, 255}})}})})});
        EXPECT_EQ(decode(grey).pixels, (std::vector<std::uint32_t>{kBlack, kWhite}));
    }
}

TEST(PspDecoder, RefusesDamagedFiles) {
    PspWriter p(4);
    const File noBlue = p.file({p.image(1, 1, None, 24),
                                p.layers({p.layer({.width = 1,
                                                   .height = 1,
                                                   .channels = {p.channel(0, 1, None, {{1}}),
                                                                p.channel(0, 2, None, {{1}})}})})});
    // A channel that claims an 8000 x 8000 layer from four bytes.
    const File bomb =
        p.file({p.image(8000, 8000, None, 8, true),
                p.layers({p.layer({.width = 8000,
                                   .height = 8000,
                                   .channels = {p.channel(0, 0, None, {{1, 2, 3, 4}})}})})});
    File blockPast = rgbLayerFile(4, None);
    blockPast[36 + 9] = 0x7F;
    File old = rgbLayerFile(4, None);
    old[32] = 2;
    File noMarker = rgbLayerFile(4, None);
    noMarker[36] = 'X';
    const std::vector<Refused> cases = {
        {"a colour channel missing", noBlue, "colour channel missing"},
        {"channel data too short for its layer", bomb, "truncated channel data"},
        {"block past the end", blockPast, "block past the end of the file"},
        {"version 2", old, "unsupported version (2), older than Paint Shop Pro 5"},
        {"block without marker", noMarker, "block without its marker"},
        {"no layers", p.file({p.image(1, 1, None, 24)}), "no layers"},
        {"no image block", p.file({}), "no image attributes"},
        {"too large", p.file({p.image(20000, 1, None, 24)}), "unsupported size (20000 x 1)"},
        {"not PSP", File(100, 'P'), "not a Paint Shop Pro file"},
    };
    expectRefused<decodePsp>(cases);
}
