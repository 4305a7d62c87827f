// GIF through giflib: the first frame only, read record by record so that a
// file of many frames costs no more than its first one (DGifSlurp would keep
// every frame's raster).
#include "pictures/picture.h"

#include "core/errors.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace taleplay::pictures {

namespace {

struct Source {
    Bytes data;
    std::size_t size;
    std::size_t pos;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int count) {
    auto* src = static_cast<Source*>(gif->UserData);
    std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), src->size - src->pos);
    // An empty file has no bytes to copy from: memcpy may not see its null.
    if (n == 0)
        return 0;
    std::memcpy(out, src->data + src->pos, n);
    src->pos += n;
    return static_cast<int>(n);
}

[[noreturn]] void fail(int code) {
    const char* text = GifErrorString(code);
    damagedPicture("GIF", text ? text : "unknown error");
}

class Reader {
  public:
    explicit Reader(Source& src) {
        int error = 0;
        gif_ = DGifOpen(&src, readFromMemory, &error);
        if (!gif_)
            fail(error);
    }
    ~Reader() { DGifCloseFile(gif_, nullptr); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    GifFileType* operator->() const { return gif_; }
    GifFileType* get() const { return gif_; }
    void check(int result) const {
        if (result == GIF_ERROR)
            fail(gif_->Error);
    }

  private:
    GifFileType* gif_ = nullptr;
};

// Interlaced frames store rows 0, 8, 16... then 4, 12... then 2, 6... then
// the odd rows; this gives the frame row of the n-th stored row.
int interlacedRow(int n, int height) {
    static constexpr int start[4] = {0, 4, 2, 1};
    static constexpr int step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        int rows = start[pass] < height ? (height - start[pass] + step[pass] - 1) / step[pass] : 0;
        if (n < rows)
            return start[pass] + n * step[pass];
        n -= rows;
    }
    return -1;
}

} // namespace

std::optional<Extent> gifNaturalSize(Bytes data, std::size_t size) {
    // A screen of 0 x 0 takes its size from the first frame: decoded then.
    if (size < 10 || std::memcmp(data, "GIF8", 4) != 0)
        return std::nullopt;
    const int width = data[6] | data[7] << 8, height = data[8] | data[9] << 8;
    if (width == 0 || height == 0)
        return std::nullopt;
    return Extent{width, height};
}

Picture decodeGif(Bytes data, std::size_t size) {
    Source src{data, size, 0};
    Reader gif(src);

    // The graphic control extension before the first image names its
    // transparent colour.
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        gif.check(DGifGetRecordType(gif.get(), &type));
        if (type == IMAGE_DESC_RECORD_TYPE)
            break;
        if (type == TERMINATE_RECORD_TYPE)
            damagedPicture("GIF", "the file holds no image");
        if (type != EXTENSION_RECORD_TYPE)
            damagedPicture("GIF", "unknown record type");
        int code = 0;
        GifByteType* block = nullptr;
        gif.check(DGifGetExtension(gif.get(), &code, &block));
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
            GraphicsControlBlock gcb{};
            if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
                transparent = gcb.TransparentColor;
        }
        while (block)
            gif.check(DGifGetExtensionNext(gif.get(), &block));
    }
    gif.check(DGifGetImageDesc(gif.get()));

    const GifImageDesc& frame = gif->Image;
    // Every row of the frame is decoded even where it falls outside the
    // screen, so the frame is held to the same limits as a picture.
    if (std::int64_t(frame.Width) * frame.Height * 4 > kMaxPixelBytes)
        pictureFails(TALEPLAY_TEXT("Pictures", "%1 picture has an unsupported frame size (%2 x %3)"),
                     {"GIF", std::to_string(frame.Width), std::to_string(frame.Height)});
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map)
        damagedPicture("GIF", "the image has no colour table");
    // Indices beyond a short colour table show black rather than reading
    // past it.
    std::array<std::uint32_t, 256> colours;
    colours.fill(0xFF000000u);
    for (int i = 0; i < std::min(map->ColorCount, 256); ++i) {
        const GifColorType& c = map->Colors[i];
        colours[i] =
            0xFF000000u | (std::uint32_t(c.Red) << 16) | (std::uint32_t(c.Green) << 8) | c.Blue;
    }
    if (transparent >= 0 && transparent < 256)
        colours[transparent] = 0;

    // The picture is the logical screen; the first frame is drawn into it at
    // its offset, and what it leaves uncovered stays transparent. A file
    // whose screen is 0 x 0 takes its size from the frame.
    std::int64_t width = gif->SWidth, height = gif->SHeight;
    if (width == 0 || height == 0) {
        width = std::int64_t(frame.Left) + frame.Width;
        height = std::int64_t(frame.Top) + frame.Height;
    }
    const bool coversScreen =
        frame.Left == 0 && frame.Top == 0 && frame.Width >= width && frame.Height >= height;
    // A frame that covers the screen writes every pixel (a row it cannot
    // read fails the picture), so its pixels need no clearing first.
    Picture pic;
    allocate(pic, width, height, "GIF", coversScreen ? Fill::Unwritten : Fill::Zero);
    pic.hasAlpha = transparent >= 0 || !coversScreen;

    // A frame that lies wholly off the screen shows nothing.
    if (frame.Width > 0 && frame.Height > 0 && frame.Left < width && frame.Top < height) {
        std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
        const int visibleWidth =
            static_cast<int>(std::clamp<std::int64_t>(width - frame.Left, 0, frame.Width));
        for (int n = 0; n < frame.Height; ++n) {
            gif.check(DGifGetLine(gif.get(), line.data(), frame.Width));
            int row = frame.Interlace ? interlacedRow(n, frame.Height) : n;
            std::int64_t y = std::int64_t(frame.Top) + row;
            if (row < 0 || y >= height) {
                if (!frame.Interlace)
                    break; // the rest of the frame is below the screen
                continue;
            }
            std::uint32_t* out = pic.pixels.data() + y * width + frame.Left;
            for (int x = 0; x < visibleWidth; ++x)
                out[x] = colours[line[x]];
        }
    }
    return pic;
}

} // namespace taleplay::pictures
