// Paint Shop Pro pictures (psp) of versions 5 to 8: the full-size composite
// image that later versions store, or else the raster layers merged.
#include "pictures/decode_util.h"

#include <zlib.h>

#include <cstring>
#include <optional>
#include <vector>

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kPsp = "Paint Shop Pro";
constexpr char kSignature[] = "Paint Shop Pro Image File\n\x1a";
constexpr std::size_t kHeaderSize = 36; // signature padded to 32, then the version

// Block identifiers.
constexpr unsigned kImageBlock = 0;
constexpr unsigned kColourBlock = 2;
constexpr unsigned kLayerStartBlock = 3;
constexpr unsigned kLayerBlock = 4;
constexpr unsigned kChannelBlock = 5;
constexpr unsigned kCompositeBankBlock = 16;
constexpr unsigned kCompositeAttributesBlock = 17;
constexpr unsigned kJpegBlock = 18;

// Compression of channel data.
constexpr unsigned kNone = 0;
constexpr unsigned kRle = 1;
constexpr unsigned kLz77 = 2;
constexpr unsigned kJpeg = 3;

// Bitmap types of a channel.
constexpr unsigned kImageBitmap = 0;
constexpr unsigned kTransparencyMask = 1;

constexpr unsigned kFullComposite = 0;

// Layer types of version 4 files and later; version 3 has only raster ones.
constexpr unsigned kRasterLayer = 1;
constexpr unsigned kFloatingSelection = 2;

// Nothing real nests deeper: file, layer bank, layer, channel.
constexpr int kMaxDepth = 6;

struct Span {
    std::uint64_t at = 0;
    std::uint64_t size = 0;
    std::uint64_t end() const { return at + size; }
};

struct Block {
    unsigned id = 0;
    Span body;
    // Version 3 names the size of the block's first chunk in the header;
    // later versions start each chunk with its own size.
    std::uint64_t firstChunk = 0;
};

struct Channel {
    unsigned bitmapType = 0;
    unsigned channelType = 0;
    std::uint64_t expanded = 0;
    Span data;
};

// What a bitmap (a composite image or a layer) is made of.
struct Bitmap {
    std::int64_t width = 0;
    std::int64_t height = 0;
    int depth = 24;
    unsigned compression = kNone;
    bool grey = false;
    std::optional<Palette> palette;
    std::vector<Channel> channels;
    std::optional<Span> jpeg;
};

// A bitmap's channels expanded, ready to be turned into pixels row by row.
struct Expanded {
    std::int64_t width = 0;
    int depth = 24;
    int bits = 8;
    Palette palette{};
    std::vector<std::uint8_t> planes[4]; // red or index, green, blue, transparency
    std::size_t strides[4] = {};
    bool masked = false;

    void row(std::size_t y, std::uint32_t* out) const {
        const std::size_t w = static_cast<std::size_t>(width);
        const std::uint8_t* c0 = planes[0].data() + y * strides[0];
        if (depth == 24) {
            const std::uint8_t* c1 = planes[1].data() + y * strides[1];
            const std::uint8_t* c2 = planes[2].data() + y * strides[2];
            for (std::size_t x = 0; x < w; ++x)
                out[x] = argb(c0[x], c1[x], c2[x]);
        } else {
            const std::size_t b = static_cast<std::size_t>(bits);
            for (std::size_t x = 0; x < w; ++x) {
                unsigned index = c0[x * b / 8];
                if (b < 8)
                    index = (index >> (8 - b - (x * b) % 8)) & ((1u << b) - 1);
                out[x] = palette[index];
            }
        }
        if (masked) {
            const std::uint8_t* a = planes[3].data() + y * strides[3];
            for (std::size_t x = 0; x < w; ++x)
                out[x] = (out[x] & 0x00FFFFFFu) | std::uint32_t(a[x]) << 24;
        }
    }
};

// The most a byte of channel data can expand to, by compression: a run of
// 127 from two bytes, and deflate's limit of about 1032 to 1. A channel
// that claims more than its data could hold is refused before allocating.
std::uint64_t mostExpanded(unsigned compression, std::uint64_t packed) {
    switch (compression) {
    case kNone:
        return packed;
    case kRle:
        return packed * 64;
    default:
        return packed * 1032 + 1024;
    }
}

bool anyTransparent(const Picture& pic) {
    return std::any_of(pic.pixels.begin(), pic.pixels.end(),
                       [](std::uint32_t px) { return px < 0xFF000000u; });
}

class PspReader {
  public:
    PspReader(Bytes data, std::size_t size) : r_(data, size, kPsp), data_(data) {}

    Picture decode();

  private:
    std::vector<Block> blocks(Span within);
    Span chunk(const Block& b);
    void readImage(const Block& b);
    Palette readPalette(const Block& b);
    Channel readChannel(const Block& b);
    void readLayer(const Block& b);
    void readCompositeBank(const Block& b, int depth);
    std::vector<std::uint8_t> expand(const Channel& c, unsigned compression, std::size_t rowBytes,
                                     std::int64_t height, std::size_t& stride);
    Expanded expandAll(const Bitmap& bm);
    Picture render(const Bitmap& bm);
    void mergeLayer(const Bitmap& bm, std::int64_t left, std::int64_t top, unsigned opacity);

    Reader r_;
    Bytes data_;
    unsigned major_ = 0;
    Bitmap image_; // the image's attributes and palette, which the layers share
    std::optional<Bitmap> composite_;
    Picture canvas_;
    bool anyLayer_ = false;
};

std::vector<Block> PspReader::blocks(Span within) {
    std::vector<Block> out;
    std::uint64_t at = within.at;
    const std::uint64_t headerSize = major_ <= 3 ? 14 : 10;
    while (at + headerSize <= within.end()) {
        Bytes h = r_.at(at, headerSize);
        if (std::memcmp(h, "~BK\0", 4) != 0)
            r_.fail("block without its marker");
        Block b;
        b.id = le16(h + 4);
        const std::uint64_t total = le32(h + (major_ <= 3 ? 10 : 6));
        b.firstChunk = major_ <= 3 ? le32(h + 6) : 0;
        b.body = {at + headerSize, total};
        if (total > within.end() - b.body.at)
            r_.fail("block past the end of the file");
        out.push_back(b);
        at = b.body.end();
    }
    return out;
}

// The first chunk of a block, its size field included.
Span PspReader::chunk(const Block& b) {
    std::uint64_t size = b.firstChunk;
    if (major_ > 3) {
        if (b.body.size < 4)
            r_.fail("chunk past the end of its block");
        size = le32(r_.at(b.body.at, 4));
    }
    if (size > b.body.size)
        r_.fail("chunk past the end of its block");
    return {b.body.at, size};
}

void PspReader::readImage(const Block& b) {
    const Span c = chunk(b);
    const std::uint64_t at = c.at + (major_ > 3 ? 4 : 0);
    if (c.end() < at + 38)
        r_.fail("image attributes too short");
    Bytes p = r_.at(at, 38);
    image_.width = static_cast<std::int32_t>(le32(p));
    image_.height = static_cast<std::int32_t>(le32(p + 4));
    image_.compression = le16(p + 17);
    image_.depth = le16(p + 19);
    image_.grey = p[27] != 0;
}

Palette PspReader::readPalette(const Block& b) {
    const Span c = chunk(b);
    const std::uint64_t at = c.at + (major_ > 3 ? 4 : 0);
    const std::uint64_t count = std::min<std::uint64_t>(le32(r_.at(at, 4)), 256);
    // The entries follow the chunk (version 4 on) or the count (version 3).
    const std::uint64_t entries = major_ > 3 ? c.end() : at + 4;
    if (entries + 4 * count > b.body.end())
        r_.fail("palette past the end of its block");
    Palette pal = blackPalette();
    Bytes e = r_.at(entries, 4 * count);
    for (std::size_t i = 0; i < count; ++i, e += 4)
        pal[i] = argb(e[2], e[1], e[0]);
    return pal;
}

Channel PspReader::readChannel(const Block& b) {
    const Span c = chunk(b);
    const std::uint64_t at = c.at + (major_ > 3 ? 4 : 0);
    if (c.end() < at + 12)
        r_.fail("channel information too short");
    Bytes p = r_.at(at, 12);
    Channel ch;
    const std::uint64_t packed = le32(p);
    ch.expanded = le32(p + 4);
    ch.bitmapType = le16(p + 8);
    ch.channelType = le16(p + 10);
    ch.data = {c.end(), packed};
    if (packed > b.body.end() - c.end())
        r_.fail("channel data past the end of its block");
    return ch;
}

std::vector<std::uint8_t> PspReader::expand(const Channel& c, unsigned compression,
                                            std::size_t rowBytes, std::int64_t height,
                                            std::size_t& stride) {
    // Rows are padded to four bytes as in a DIB, by most writers; the size the
    // channel gives when expanded says which.
    const std::size_t padded = (rowBytes + 3) / 4 * 4;
    const std::size_t rows = static_cast<std::size_t>(height);
    stride = c.expanded >= padded * rows ? padded : rowBytes;
    // A layer's planes live together, beside the pixels.
    chargeWorkingMemory(static_cast<std::int64_t>(stride * rows), kPsp);
    std::vector<std::uint8_t> out(stride * rows, 0);
    Bytes src = r_.at(c.data.at, c.data.size);
    const std::size_t n = static_cast<std::size_t>(c.data.size);
    switch (compression) {
    case kNone:
        std::copy(src, src + std::min(n, out.size()), out.begin());
        break;
    case kRle: {
        // A count above 128 repeats the next byte count - 128 times; any
        // other count copies that many bytes.
        std::size_t i = 0, k = 0;
        while (k < n && i < out.size()) {
            const unsigned count = src[k++];
            if (count > 128) {
                if (k >= n)
                    r_.fail("run past the end of its channel");
                const std::size_t len = std::min<std::size_t>(count - 128, out.size() - i);
                std::fill(out.begin() + static_cast<std::ptrdiff_t>(i),
                          out.begin() + static_cast<std::ptrdiff_t>(i + len), src[k++]);
                i += len;
            } else {
                if (count > n - k)
                    r_.fail("run past the end of its channel");
                const std::size_t len = std::min<std::size_t>(count, out.size() - i);
                std::copy(src + k, src + k + len, out.begin() + static_cast<std::ptrdiff_t>(i));
                i += len;
                k += count;
            }
        }
        break;
    }
    case kLz77: {
        z_stream z{};
        if (inflateInit(&z) != Z_OK)
            r_.fail("cannot start decompression");
        z.next_in = const_cast<Bytef*>(src);
        z.avail_in = static_cast<uInt>(std::min<std::size_t>(n, 0xFFFFFFFFu));
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        const int status = inflate(&z, Z_FINISH);
        inflateEnd(&z);
        // Data that ends early leaves the rest of the channel empty; data
        // that is not a deflate stream at all is damage.
        if (status != Z_STREAM_END && status != Z_BUF_ERROR && status != Z_OK)
            r_.fail("compressed channel data is damaged");
        break;
    }
    default:
        unsupported(kPsp, "compression (" + std::to_string(compression) + ")");
    }
    return out;
}

Expanded PspReader::expandAll(const Bitmap& bm) {
    if (bm.width <= 0 || bm.height <= 0)
        r_.fail("bad dimensions");
    if (bm.depth != 1 && bm.depth != 4 && bm.depth != 8 && bm.depth != 24)
        unsupported(kPsp, "bit depth (" + std::to_string(bm.depth) + ")");
    checkSides(bm.width, bm.height, kPsp);
    if (bm.width * bm.height * 4 > kMaxPixelBytes) {
        Picture none;
        allocate(none, bm.width, bm.height, kPsp); // throws with the size
    }
    Expanded e;
    e.width = bm.width;
    e.depth = bm.depth;
    e.bits = bm.depth == 24 ? 8 : bm.depth;
    const std::size_t w = static_cast<std::size_t>(bm.width);
    const std::size_t rowBytes = (w * static_cast<std::size_t>(e.bits) + 7) / 8;
    bool found[4] = {};
    for (const Channel& c : bm.channels) {
        int slot = -1;
        if (c.bitmapType == kImageBitmap && c.channelType <= 3)
            slot = bm.depth == 24 ? int(c.channelType) - 1 : (c.channelType == 0 ? 0 : -1);
        else if (c.bitmapType == kTransparencyMask)
            slot = 3;
        if (slot < 0 || found[slot])
            continue;
        found[slot] = true;
        const std::size_t bytes = slot == 3 ? w : rowBytes;
        if (mostExpanded(bm.compression, c.data.size) < bytes * static_cast<std::size_t>(bm.height))
            r_.fail("truncated channel data");
        e.planes[slot] = expand(c, bm.compression, bytes, bm.height, e.strides[slot]);
    }
    const int needed = bm.depth == 24 ? 3 : 1;
    for (int i = 0; i < needed; ++i)
        if (!found[i])
            r_.fail("colour channel missing");
    e.masked = found[3];
    e.palette = bm.palette && !bm.grey ? *bm.palette : greyPalette(1 << e.bits);
    return e;
}

Picture PspReader::render(const Bitmap& bm) {
    if (bm.jpeg) {
        Picture pic = decodeJpeg(data_ + bm.jpeg->at, static_cast<std::size_t>(bm.jpeg->size));
        if (pic.width != bm.width || pic.height != bm.height)
            r_.fail("composite image of the wrong size");
        return pic;
    }
    const Expanded e = expandAll(bm);
    Picture pic;
    allocate(pic, bm.width, bm.height, kPsp);
    const std::size_t w = static_cast<std::size_t>(bm.width);
    for (std::size_t y = 0; y < static_cast<std::size_t>(bm.height); ++y)
        e.row(y, pic.pixels.data() + y * w);
    pic.hasAlpha = e.masked && anyTransparent(pic);
    return pic;
}

// Normal blending, the layer's opacity times its transparency mask.
void PspReader::mergeLayer(const Bitmap& bm, std::int64_t left, std::int64_t top,
                           unsigned opacity) {
    const Expanded e = expandAll(bm);
    // The picture is made only once a layer's data has proved readable.
    if (canvas_.pixels.empty())
        allocate(canvas_, image_.width, image_.height, kPsp);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(bm.width));
    for (std::int64_t y = 0; y < bm.height; ++y) {
        const std::int64_t cy = top + y;
        if (cy < 0 || cy >= canvas_.height)
            continue;
        e.row(static_cast<std::size_t>(y), row.data());
        for (std::int64_t x = 0; x < bm.width; ++x) {
            const std::int64_t cx = left + x;
            if (cx < 0 || cx >= canvas_.width)
                continue;
            const std::uint32_t s = row[static_cast<std::size_t>(x)];
            std::uint32_t& d = canvas_.pixels[static_cast<std::size_t>(cy * canvas_.width + cx)];
            const std::uint32_t sa = (s >> 24) * opacity / 255;
            const std::uint32_t da = d >> 24;
            const std::uint32_t oa = sa + da * (255 - sa) / 255;
            if (oa == 0) {
                d = 0;
                continue;
            }
            auto mix = [&](int shift) {
                const std::uint32_t sc = (s >> shift) & 255, dc = (d >> shift) & 255;
                return (sc * sa + dc * da * (255 - sa) / 255 + oa / 2) / oa;
            };
            d = argb(mix(16), mix(8), mix(0), oa);
        }
    }
}

void PspReader::readLayer(const Block& b) {
    const Span info = chunk(b);
    std::uint64_t p = info.at;
    if (major_ > 3) {
        p += 4;
        const std::uint64_t nameLength = le16(r_.at(p, 2));
        p += 2 + nameLength;
    } else {
        p += 256;
    }
    if (p + 115 > info.end())
        r_.fail("layer information too short");
    Bytes f = r_.at(p, 115);
    const unsigned type = f[0];
    auto rect = [&](std::size_t at, int i) {
        return static_cast<std::int64_t>(static_cast<std::int32_t>(le32(f + at + 4 * i)));
    };
    const std::int64_t imageLeft = rect(1, 0), imageTop = rect(1, 1);
    const std::int64_t savedLeft = rect(17, 0), savedTop = rect(17, 1);
    const std::int64_t savedRight = rect(17, 2), savedBottom = rect(17, 3);
    const unsigned opacity = f[33];
    const bool visible = (f[35] & 1) != 0;

    std::uint64_t after = info.end(); // where the channel blocks start
    if (major_ > 3) {
        // The bitmap information chunk: its size, the bitmap and channel counts.
        const std::uint64_t size = le32(r_.at(after, 4));
        if (size < 4 || size > b.body.end() - after)
            r_.fail("layer information too short");
        after += size;
    }
    anyLayer_ = true;
    const bool raster = major_ <= 3 || type == kRasterLayer || type == kFloatingSelection;
    if (!visible || !raster || opacity == 0)
        return;

    Bitmap bm = image_;
    bm.channels.clear();
    bm.jpeg.reset();
    bm.width = savedRight - savedLeft;
    bm.height = savedBottom - savedTop;
    if (bm.width <= 0 || bm.height <= 0)
        return; // an empty layer
    for (const Block& sub : blocks({after, b.body.end() - after}))
        if (sub.id == kChannelBlock)
            bm.channels.push_back(readChannel(sub));
    if (bm.channels.empty())
        return;
    mergeLayer(bm, imageLeft + savedLeft, imageTop + savedTop, opacity);
}

// The images of a composite image bank: each one's attributes, then its
// palette and channels or its JPEG data, either inside the attributes block
// or beside it.
void PspReader::readCompositeBank(const Block& bank, int depth) {
    if (depth > kMaxDepth)
        r_.fail("blocks nested too deep");
    const Span info = chunk(bank);
    std::optional<Bitmap> current;
    unsigned currentType = 1;
    auto finish = [&]() {
        if (current && currentType == kFullComposite && !composite_)
            composite_ = std::move(current);
        current.reset();
    };
    auto take = [&](const Block& b) {
        if (!current)
            return;
        if (b.id == kColourBlock)
            current->palette = readPalette(b);
        else if (b.id == kChannelBlock)
            current->channels.push_back(readChannel(b));
        else if (b.id == kJpegBlock) {
            const Span c = chunk(b);
            const std::uint64_t at = c.at + 4;
            if (c.end() < at + 10)
                r_.fail("JPEG information too short");
            const std::uint64_t packed = le32(r_.at(at, 4));
            if (packed > b.body.end() - c.end())
                r_.fail("JPEG data past the end of its block");
            current->jpeg = Span{c.end(), packed};
        }
    };
    for (const Block& b : blocks({info.end(), bank.body.end() - info.end()})) {
        if (b.id != kCompositeAttributesBlock) {
            take(b);
            continue;
        }
        finish();
        const Span c = chunk(b);
        if (c.end() < c.at + 24)
            r_.fail("composite attributes too short");
        Bytes p = r_.at(c.at + 4, 20);
        current = Bitmap{};
        current->width = static_cast<std::int32_t>(le32(p));
        current->height = static_cast<std::int32_t>(le32(p + 4));
        current->depth = le16(p + 8);
        current->compression = le16(p + 10);
        current->grey = image_.grey;
        currentType = le16(p + 18);
        for (const Block& inner : blocks({c.end(), b.body.end() - c.end()}))
            take(inner);
    }
    finish();
}

Picture PspReader::decode() {
    const std::size_t size = r_.size();
    if (size < kHeaderSize || std::memcmp(data_, kSignature, sizeof kSignature - 1) != 0)
        r_.fail("not a Paint Shop Pro file");
    major_ = le16(data_ + 32);
    if (major_ < 3)
        unsupported(kPsp, "version (" + std::to_string(major_) + "), older than Paint Shop Pro 5");

    const std::vector<Block> top = blocks({kHeaderSize, size - kHeaderSize});
    bool haveImage = false;
    for (const Block& b : top)
        if (b.id == kImageBlock) {
            readImage(b);
            haveImage = true;
            break;
        }
    if (!haveImage)
        r_.fail("no image attributes");
    if (image_.width <= 0 || image_.height <= 0)
        r_.fail("bad dimensions");
    checkSides(image_.width, image_.height, kPsp);
    if (image_.width * image_.height * 4 > kMaxPixelBytes) {
        Picture none;
        allocate(none, image_.width, image_.height, kPsp); // throws with the size
    }
    if (image_.compression == kJpeg)
        unsupported(kPsp, "compression (JPEG) of its layers");

    for (const Block& b : top) {
        if (b.id == kColourBlock)
            image_.palette = readPalette(b);
        else if (b.id == kCompositeBankBlock)
            readCompositeBank(b, 1);
    }
    if (composite_ && composite_->width == image_.width && composite_->height == image_.height) {
        if (!composite_->palette)
            composite_->palette = image_.palette;
        return render(*composite_);
    }

    for (const Block& b : top) {
        if (b.id != kLayerStartBlock)
            continue;
        for (const Block& layer : blocks(b.body))
            if (layer.id == kLayerBlock)
                readLayer(layer);
    }
    if (!anyLayer_)
        r_.fail("no layers");
    if (canvas_.pixels.empty())
        allocate(canvas_, image_.width, image_.height, kPsp); // every layer hidden or empty
    canvas_.hasAlpha = anyTransparent(canvas_);
    return std::move(canvas_);
}

} // namespace

Picture decodePsp(Bytes data, std::size_t size) {
    return PspReader(data, size).decode();
}

} // namespace taleplay::pictures
