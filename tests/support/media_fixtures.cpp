#include "support/media_fixtures.h"

#include <QBuffer>
#include <QImage>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

namespace taleplay::testing {
namespace {

struct Bytes {
    std::vector<char> data;
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    void u16(std::uint16_t v) {
        data.push_back(static_cast<char>(v & 0xFF));
        data.push_back(static_cast<char>(v >> 8));
    }
    void tag(const char* t) { data.insert(data.end(), t, t + 4); }
    void bytes(const QByteArray& b) { data.insert(data.end(), b.begin(), b.end()); }
    std::size_t size() const { return data.size(); }
    void patch32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            data[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    // Opens a chunk; returns where its size goes.
    std::size_t open(const char* id) {
        tag(id);
        u32(0);
        return size() - 4;
    }
    void close(std::size_t sizeAt) {
        patch32(sizeAt, static_cast<std::uint32_t>(size() - sizeAt - 4));
        if (size() % 2)
            data.push_back(0);
    }
};

void save(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary)
        .write(b.data.data(), static_cast<std::streamsize>(b.size()));
}

} // namespace

void writeWav(const std::string& path, int ms, int hz) {
    const int rate = 8000;
    const int samples = rate * ms / 1000;
    Bytes b;
    std::size_t riff = b.open("RIFF");
    b.tag("WAVE");
    std::size_t fmt = b.open("fmt ");
    b.u16(1); // PCM
    b.u16(1); // mono
    b.u32(rate);
    b.u32(rate * 2); // bytes a second
    b.u16(2);        // block align
    b.u16(16);       // bits
    b.close(fmt);
    std::size_t data = b.open("data");
    for (int i = 0; i < samples; ++i)
        b.u16(static_cast<std::uint16_t>(
            static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * hz * i / rate))));
    b.close(data);
    b.close(riff);
    save(path, b);
}

void writeMjpegAvi(const std::string& path, int width, int height, int frames, int fps) {
    std::vector<QByteArray> jpegs;
    for (int i = 0; i < frames; ++i) {
        QImage img(width, height, QImage::Format_RGB32);
        const int t = frames > 1 ? 255 * i / (frames - 1) : 0;
        img.fill(QColor(255 - t, 0, t));
        QByteArray jpg;
        QBuffer buf(&jpg);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "JPG", 90);
        jpegs.push_back(jpg);
    }
    std::uint32_t largest = 0;
    for (const auto& j : jpegs)
        largest = std::max<std::uint32_t>(largest, static_cast<std::uint32_t>(j.size()));

    Bytes b;
    std::size_t riff = b.open("RIFF");
    b.tag("AVI ");
    std::size_t hdrl = b.open("LIST");
    b.tag("hdrl");
    std::size_t avih = b.open("avih");
    b.u32(1000000 / fps);
    b.u32(largest * fps);
    b.u32(0);
    b.u32(0x10); // has an index
    b.u32(frames);
    b.u32(0);
    b.u32(1); // streams
    b.u32(largest);
    b.u32(width);
    b.u32(height);
    for (int i = 0; i < 4; ++i)
        b.u32(0);
    b.close(avih);
    std::size_t strl = b.open("LIST");
    b.tag("strl");
    std::size_t strh = b.open("strh");
    b.tag("vids");
    b.tag("MJPG");
    b.u32(0);
    b.u16(0);
    b.u16(0);
    b.u32(0);
    b.u32(1);   // scale
    b.u32(fps); // rate
    b.u32(0);
    b.u32(frames);
    b.u32(largest);
    b.u32(0xFFFFFFFF);
    b.u32(0);
    b.u16(0);
    b.u16(0);
    b.u16(static_cast<std::uint16_t>(width));
    b.u16(static_cast<std::uint16_t>(height));
    b.close(strh);
    std::size_t strf = b.open("strf");
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

    std::size_t movi = b.open("LIST");
    const std::size_t moviStart = b.size();
    b.tag("movi");
    std::vector<std::pair<std::uint32_t, std::uint32_t>> index;
    for (const auto& j : jpegs) {
        index.emplace_back(static_cast<std::uint32_t>(b.size() - moviStart),
                           static_cast<std::uint32_t>(j.size()));
        std::size_t chunk = b.open("00dc");
        b.bytes(j);
        b.close(chunk);
    }
    b.close(movi);
    std::size_t idx = b.open("idx1");
    for (const auto& [offset, size] : index) {
        b.tag("00dc");
        b.u32(0x10); // key frame
        b.u32(offset);
        b.u32(size);
    }
    b.close(idx);
    b.close(riff);
    save(path, b);
}

} // namespace taleplay::testing
