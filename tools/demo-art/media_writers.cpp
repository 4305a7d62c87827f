#include "media_writers.h"

#include "core/codepage.h"

#include <QBuffer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace demoart {
namespace {

struct Bytes {
    std::vector<char> data;
    void u8(unsigned v) { data.push_back(static_cast<char>(v & 0xFF)); }
    void u16(unsigned v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void tag(const char* t) { data.insert(data.end(), t, t + 4); }
    void bytes(const QByteArray& b) { data.insert(data.end(), b.begin(), b.end()); }
    std::size_t size() const { return data.size(); }
    // RIFF chunks: open() leaves room for the size, close() fills it in and
    // pads the chunk to an even length.
    std::size_t open(const char* id) {
        tag(id);
        u32(0);
        return size() - 4;
    }
    void close(std::size_t sizeAt) {
        const auto n = static_cast<std::uint32_t>(size() - sizeAt - 4);
        for (int i = 0; i < 4; ++i)
            data[sizeAt + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
        if (size() % 2)
            u8(0);
    }
};

void save(const std::string& path, const std::vector<char>& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(b.data(), static_cast<std::streamsize>(b.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

} // namespace

void writeWav(const std::string& path, int rate, const std::vector<float>& samples) {
    Bytes b;
    const std::size_t riff = b.open("RIFF");
    b.tag("WAVE");
    const std::size_t fmt = b.open("fmt ");
    b.u16(1); // PCM
    b.u16(1); // mono
    b.u32(static_cast<std::uint32_t>(rate));
    b.u32(static_cast<std::uint32_t>(rate * 2));
    b.u16(2);
    b.u16(16);
    b.close(fmt);
    const std::size_t data = b.open("data");
    for (float s : samples)
        b.u16(static_cast<std::uint16_t>(
            static_cast<std::int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32000))));
    b.close(data);
    b.close(riff);
    save(path, b.data);
}

void writeMjpegAvi(const std::string& path, const std::vector<QImage>& frames, int fps,
                   int quality) {
    std::vector<QByteArray> jpegs;
    std::uint32_t largest = 0;
    for (const QImage& f : frames) {
        QByteArray jpg;
        QBuffer buffer(&jpg);
        buffer.open(QIODevice::WriteOnly);
        f.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPG", quality);
        largest = std::max<std::uint32_t>(largest, static_cast<std::uint32_t>(jpg.size()));
        jpegs.push_back(jpg);
    }
    const auto width = static_cast<std::uint32_t>(frames.front().width());
    const auto height = static_cast<std::uint32_t>(frames.front().height());
    const auto count = static_cast<std::uint32_t>(frames.size());

    Bytes b;
    const std::size_t riff = b.open("RIFF");
    b.tag("AVI ");
    const std::size_t hdrl = b.open("LIST");
    b.tag("hdrl");
    const std::size_t avih = b.open("avih");
    b.u32(1000000 / static_cast<std::uint32_t>(fps));
    b.u32(largest * static_cast<std::uint32_t>(fps));
    b.u32(0);
    b.u32(0x10); // AVIF_HASINDEX
    b.u32(count);
    b.u32(0);
    b.u32(1); // one stream
    b.u32(largest);
    b.u32(width);
    b.u32(height);
    for (int i = 0; i < 4; ++i)
        b.u32(0);
    b.close(avih);
    const std::size_t strl = b.open("LIST");
    b.tag("strl");
    const std::size_t strh = b.open("strh");
    b.tag("vids");
    b.tag("MJPG");
    b.u32(0);
    b.u16(0);
    b.u16(0);
    b.u32(0);
    b.u32(1);                               // scale
    b.u32(static_cast<std::uint32_t>(fps)); // rate: frames a second
    b.u32(0);
    b.u32(count);
    b.u32(largest);
    b.u32(0xFFFFFFFF);
    b.u32(0);
    b.u16(0);
    b.u16(0);
    b.u16(width);
    b.u16(height);
    b.close(strh);
    const std::size_t strf = b.open("strf");
    b.u32(40);
    b.u32(width);
    b.u32(height);
    b.u16(1);
    b.u16(24);
    b.tag("MJPG");
    b.u32(width * height * 3);
    for (int i = 0; i < 4; ++i)
        b.u32(0);
    b.close(strf);
    b.close(strl);
    b.close(hdrl);

    const std::size_t movi = b.open("LIST");
    const std::size_t moviStart = b.size();
    b.tag("movi");
    std::vector<std::pair<std::uint32_t, std::uint32_t>> index;
    for (const QByteArray& j : jpegs) {
        index.emplace_back(static_cast<std::uint32_t>(b.size() - moviStart),
                           static_cast<std::uint32_t>(j.size()));
        const std::size_t chunk = b.open("00dc");
        b.bytes(j);
        b.close(chunk);
    }
    b.close(movi);
    const std::size_t idx = b.open("idx1");
    for (const auto& [offset, size] : index) {
        b.tag("00dc");
        b.u32(0x10); // key frame
        b.u32(offset);
        b.u32(size);
    }
    b.close(idx);
    b.close(riff);
    save(path, b.data);
}

void writeGif(const std::string& path, const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    // A fixed palette: the 216 web colours, then 40 greys.
    std::vector<QRgb> palette;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back(qRgb(r * 51, g * 51, b * 51));
    for (int i = 0; i < 40; ++i)
        palette.push_back(qRgb(i * 255 / 39, i * 255 / 39, i * 255 / 39));
    std::map<QRgb, int> nearest;
    auto indexOf = [&](QRgb c) {
        c |= 0xFF000000u;
        if (auto it = nearest.find(c); it != nearest.end())
            return it->second;
        int best = 0;
        long bestDistance = -1;
        for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
            const long dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
                       db = qBlue(c) - qBlue(palette[i]);
            const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        nearest[c] = best;
        return best;
    };

    Bytes b;
    b.data = {'G', 'I', 'F', '8', '9', 'a'};
    b.u16(static_cast<unsigned>(image.width()));
    b.u16(static_cast<unsigned>(image.height()));
    b.u8(0xF7); // global colour table of 256 entries
    b.u8(0);
    b.u8(0);
    for (QRgb c : palette) {
        b.u8(static_cast<unsigned>(qRed(c)));
        b.u8(static_cast<unsigned>(qGreen(c)));
        b.u8(static_cast<unsigned>(qBlue(c)));
    }
    b.u8(0x2C); // image descriptor
    b.u16(0);
    b.u16(0);
    b.u16(static_cast<unsigned>(image.width()));
    b.u16(static_cast<unsigned>(image.height()));
    b.u8(0);
    b.u8(8); // minimum code size

    // Every pixel is sent as a literal 9-bit code; a clear code every 250
    // literals keeps the decoder's table from ever needing 10-bit codes.
    std::vector<unsigned char> packed;
    std::uint32_t bits = 0;
    int bitCount = 0;
    auto putCode = [&](unsigned code) {
        bits |= code << bitCount;
        bitCount += 9;
        while (bitCount >= 8) {
            packed.push_back(static_cast<unsigned char>(bits & 0xFF));
            bits >>= 8;
            bitCount -= 8;
        }
    };
    int run = 0;
    putCode(256);
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (run == 250) {
                putCode(256);
                run = 0;
            }
            putCode(static_cast<unsigned>(indexOf(row[x])));
            ++run;
        }
    }
    putCode(257);
    if (bitCount > 0)
        packed.push_back(static_cast<unsigned char>(bits & 0xFF));
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, packed.size() - at);
        b.u8(static_cast<unsigned>(n));
        b.data.insert(b.data.end(), packed.begin() + static_cast<long>(at),
                      packed.begin() + static_cast<long>(at + n));
    }
    b.u8(0);
    b.u8(0x3B);
    save(path, b.data);
}

std::string toCp1251(const std::string& utf8) {
    // Strict: a character the code page lacks would reach the game as '?'.
    const std::string out = taleplay::cp1251::fromUtf8(utf8);
    if (std::count(out.begin(), out.end(), '?') != std::count(utf8.begin(), utf8.end(), '?'))
        throw std::runtime_error("character outside Windows-1251 in: " + utf8);
    return out;
}

} // namespace demoart
