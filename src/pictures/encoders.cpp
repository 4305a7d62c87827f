// The picture libraries' own encoders, for tests, benchmarks and fuzz seeds.
#include "pictures/encoders.h"

#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>

namespace taleplay::pictures::encoders {

namespace {

[[noreturn]] void failed(const char* what) {
    throw std::runtime_error(std::string("encoder failed: ") + what);
}

void pngWrite(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<File*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void pngFlush(png_structp) {}

// Holds only trivially destructible locals between setjmp and png calls.
bool pngEncode(png_structp png, png_infop info, const PngSpec* spec, const unsigned char* samples,
               std::size_t rowBytes, const png_color* palette, int paletteSize) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, spec->width, spec->height, spec->bitDepth, spec->colorType,
                 spec->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (paletteSize)
        png_set_PLTE(png, info, palette, paletteSize);
    if (!spec->trns.empty())
        png_set_tRNS(png, info, spec->trns.data(), int(spec->trns.size()), nullptr);
    if (!spec->trnsKey.empty()) {
        png_color_16 key{};
        key.gray = spec->trnsKey[0];
        if (spec->trnsKey.size() == 3)
            key.red = spec->trnsKey[0], key.green = spec->trnsKey[1], key.blue = spec->trnsKey[2];
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    int passes = png_set_interlace_handling(png);
    for (int p = 0; p < passes; ++p)
        for (int y = 0; y < spec->height; ++y)
            png_write_row(png, samples + std::size_t(y) * rowBytes);
    png_write_end(png, info);
    return true;
}

struct JpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void jpegFail(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

bool jpegEncode(jpeg_compress_struct* cinfo, JpegError* err, int width, int height, int components,
                const unsigned char* samples, int quality, JpegScans scans, jpeg_scan_info* script,
                unsigned char** out, unsigned long* outSize) {
    cinfo->err = jpeg_std_error(&err->pub);
    err->pub.error_exit = jpegFail;
    if (setjmp(err->jump))
        return false;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, out, outSize);
    cinfo->image_width = JDIMENSION(width);
    cinfo->image_height = JDIMENSION(height);
    cinfo->input_components = components;
    cinfo->in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(cinfo);
    if (components == 4)
        jpeg_set_colorspace(cinfo, JCS_YCCK);
    jpeg_set_quality(cinfo, quality, TRUE);
    if (scans == JpegScans::Progressive)
        jpeg_simple_progression(cinfo);
    if (scans == JpegScans::OneScanPerCoefficient) {
        int n = 0;
        script[n++] = jpeg_scan_info{components, {0, 1, 2, 3}, 0, 0, 0, 0};
        for (int c = 0; c < components; ++c)
            for (int k = 1; k < 64; ++k)
                script[n++] = jpeg_scan_info{1, {c, 0, 0, 0}, k, k, 0, 0};
        cinfo->scan_info = script;
        cinfo->num_scans = n;
    }
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples + std::size_t(cinfo->next_scanline) *
                                                          std::size_t(width) * components);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

int gifWrite(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<File*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

struct MemoryTiff {
    File data;
    std::uint64_t pos = 0;
};

tmsize_t tiffRead(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<MemoryTiff*>(h);
    std::uint64_t avail = m->pos < m->data.size() ? m->data.size() - m->pos : 0;
    std::uint64_t k = std::min<std::uint64_t>(avail, std::uint64_t(n));
    std::memcpy(buf, m->data.data() + m->pos, k);
    m->pos += k;
    return tmsize_t(k);
}
tmsize_t tiffWrite(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<MemoryTiff*>(h);
    if (m->data.size() < m->pos + std::uint64_t(n))
        m->data.resize(m->pos + std::uint64_t(n));
    std::memcpy(m->data.data() + m->pos, buf, std::size_t(n));
    m->pos += std::uint64_t(n);
    return n;
}
toff_t tiffSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<MemoryTiff*>(h);
    m->pos = (whence == SEEK_CUR ? m->pos : whence == SEEK_END ? m->data.size() : 0) + off;
    return m->pos;
}
int tiffClose(thandle_t) {
    return 0;
}
toff_t tiffSize(thandle_t h) {
    return static_cast<MemoryTiff*>(h)->data.size();
}
int tiffMap(thandle_t, void**, toff_t*) {
    return 0;
}
void tiffUnmap(thandle_t, void*, toff_t) {}

TIFF* openMemoryTiff(MemoryTiff& m, const char* mode) {
    return TIFFClientOpen("memory", mode, &m, tiffRead, tiffWrite, tiffSeek, tiffClose, tiffSize,
                          tiffMap, tiffUnmap);
}

} // namespace

File writePng(const PngSpec& spec, const std::vector<unsigned char>& samples) {
    File out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info)
        failed("png");
    png_set_write_fn(png, &out, pngWrite, pngFlush);
    std::vector<png_color> palette;
    for (const Rgb& c : spec.palette)
        palette.push_back(png_color{c.r, c.g, c.b});
    int channels = spec.colorType == 0 || spec.colorType == 3 ? 1
                   : spec.colorType == 4                      ? 2
                   : spec.colorType == 2                      ? 3
                                                              : 4;
    std::size_t rowBytes = (std::size_t(spec.width) * channels * spec.bitDepth + 7) / 8;
    bool ok =
        pngEncode(png, info, &spec, samples.data(), rowBytes, palette.data(), int(palette.size()));
    png_destroy_write_struct(&png, &info);
    if (!ok)
        failed("png");
    return out;
}

File writeJpeg(int width, int height, int components, const std::vector<unsigned char>& samples,
               int quality, JpegScans scans) {
    jpeg_compress_struct cinfo{};
    JpegError err{};
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    std::vector<jpeg_scan_info> script(1 + 4 * 63);
    bool ok = jpegEncode(&cinfo, &err, width, height, components, samples.data(), quality, scans,
                         script.data(), &buf, &size);
    jpeg_destroy_compress(&cinfo);
    File out;
    if (ok)
        out.assign(buf, buf + size);
    std::free(buf);
    if (!ok)
        failed("jpeg");
    return out;
}

File withExifOrientation(const File& jpeg, int orientation) {
    // APP1: "Exif", a big-endian TIFF header and one directory of one
    // entry, Orientation (0x0112), a SHORT.
    const unsigned char app1[] = {0xFF, 0xE1, 0x00, 34,   'E',  'x',  'i',  'f',  0,
                                  0,    'M',  'M',  0x00, 0x2A, 0x00, 0x00, 0x00, 0x08,
                                  0x00, 0x01, 0x01, 0x12, 0x00, 0x03, 0x00, 0x00, 0x00,
                                  0x01, 0x00, static_cast<unsigned char>(orientation),
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    File out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), std::begin(app1), std::end(app1));
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

File writeGif(const GifSpec& spec, const std::vector<unsigned char>& indices) {
    File out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gifWrite, &error);
    if (!gif)
        failed("gif");
    int size = 2;
    while (size < int(spec.palette.size()))
        size *= 2;
    std::vector<GifColorType> colours(std::size_t(size), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < spec.palette.size(); ++i)
        colours[i] = GifColorType{spec.palette[i].r, spec.palette[i].g, spec.palette[i].b};
    ColorMapObject* map = GifMakeMapObject(size, colours.data());
    bool ok = EGifPutScreenDesc(gif, spec.screenWidth, spec.screenHeight, 8, 0, map) == GIF_OK;
    for (int f = 0; ok && f < spec.frames; ++f) {
        if (spec.transparent >= 0) {
            GraphicsControlBlock gcb{};
            gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
            gcb.TransparentColor = spec.transparent;
            GifByteType ext[4];
            std::size_t n = EGifGCBToExtension(&gcb, ext);
            ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(n), ext) == GIF_OK;
        }
        ok = ok && EGifPutImageDesc(gif, spec.left, spec.top, spec.width, spec.height,
                                    spec.interlaced, nullptr) == GIF_OK;
        // Interlaced rows go out in pass order.
        std::vector<int> order;
        if (spec.interlaced) {
            const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int p = 0; p < 4; ++p)
                for (int y = start[p]; y < spec.height; y += step[p])
                    order.push_back(y);
        } else {
            for (int y = 0; y < spec.height; ++y)
                order.push_back(y);
        }
        for (int y : order) {
            if (!ok)
                break;
            ok = EGifPutLine(
                     gif, const_cast<GifPixelType*>(indices.data() + std::size_t(y) * spec.width),
                     spec.width) == GIF_OK;
        }
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK)
        ok = false;
    if (!ok)
        failed("gif");
    return out;
}

File writeTiff(const TiffSpec& spec, const std::vector<unsigned char>& samples) {
    MemoryTiff m;
    TIFF* tif = openMemoryTiff(m, "w");
    if (!tif)
        failed("tiff");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(spec.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(spec.height));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spec.samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, spec.bitsPerSample);
    if (spec.orientation != 0)
        TIFFSetField(tif, TIFFTAG_ORIENTATION, spec.orientation);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, spec.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, spec.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (spec.extraSamples) {
        std::uint16_t extra = std::uint16_t(spec.extraSamples);
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    const std::size_t rowBytes =
        (std::size_t(spec.width) * spec.samplesPerPixel * spec.bitsPerSample + 7) / 8;
    bool ok = true;
    if (spec.tileSize) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, std::uint32_t(spec.tileSize));
        TIFFSetField(tif, TIFFTAG_TILELENGTH, std::uint32_t(spec.tileSize));
        const std::size_t bytesPerPixel =
            std::size_t(spec.samplesPerPixel * spec.bitsPerSample / 8);
        std::vector<unsigned char> tile(std::size_t(TIFFTileSize(tif)));
        for (int ty = 0; ok && ty < spec.height; ty += spec.tileSize)
            for (int tx = 0; ok && tx < spec.width; tx += spec.tileSize) {
                std::fill(tile.begin(), tile.end(), 0);
                for (int y = 0; y < spec.tileSize && ty + y < spec.height; ++y) {
                    int w = std::min(spec.tileSize, spec.width - tx);
                    std::memcpy(tile.data() + std::size_t(y) * spec.tileSize * bytesPerPixel,
                                samples.data() + std::size_t(ty + y) * rowBytes +
                                    std::size_t(tx) * bytesPerPixel,
                                std::size_t(w) * bytesPerPixel);
                }
                ok = TIFFWriteTile(tif, tile.data(), std::uint32_t(tx), std::uint32_t(ty), 0, 0) >=
                     0;
            }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                     spec.rowsPerStrip ? std::uint32_t(spec.rowsPerStrip)
                                       : TIFFDefaultStripSize(tif, 0));
        std::vector<unsigned char> row(rowBytes);
        for (int y = 0; ok && y < spec.height; ++y) {
            std::memcpy(row.data(), samples.data() + std::size_t(y) * rowBytes, rowBytes);
            ok = TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0) >= 0;
        }
    }
    TIFFClose(tif);
    if (!ok)
        failed("tiff");
    return m.data;
}

File writeRawFax(int height, const std::vector<unsigned char>& rows, bool lsbFirst) {
    MemoryTiff m;
    TIFF* tif = openMemoryTiff(m, "w");
    if (!tif)
        failed("fax");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(1728));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(height));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, std::uint32_t(0));
    TIFFSetField(tif, TIFFTAG_FAXMODE, FAXMODE_CLASSIC);
    TIFFSetField(tif, TIFFTAG_FILLORDER, lsbFirst ? FILLORDER_LSB2MSB : FILLORDER_MSB2LSB);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::uint32_t(height));
    std::vector<unsigned char> row(216);
    bool ok = true;
    for (int y = 0; ok && y < height; ++y) {
        std::memcpy(row.data(), rows.data() + std::size_t(y) * 216, 216);
        ok = TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0) >= 0;
    }
    TIFFClose(tif);
    if (!ok)
        failed("fax");
    // Cut the single strip out of the file.
    m.pos = 0;
    TIFF* in = openMemoryTiff(m, "r");
    if (!in)
        failed("fax");
    std::uint64_t* offsets = nullptr;
    std::uint64_t* counts = nullptr;
    File out;
    if (TIFFGetField(in, TIFFTAG_STRIPOFFSETS, &offsets) &&
        TIFFGetField(in, TIFFTAG_STRIPBYTECOUNTS, &counts))
        out.assign(m.data.begin() + std::ptrdiff_t(offsets[0]),
                   m.data.begin() + std::ptrdiff_t(offsets[0] + counts[0]));
    TIFFClose(in);
    if (out.empty())
        failed("fax");
    return out;
}

} // namespace taleplay::pictures::encoders
