#pragma once
// Writers of Windows metafiles for the tests: records built from their
// published layouts, one call a record, and a small DIB to embed.
#include "picture_test_support.h"

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace taleplay::pictures::test_support {

// COLORREF of r, g, b.
constexpr std::uint32_t rgbRef(unsigned r, unsigned g, unsigned b) {
    return r | g << 8 | b << 16;
}

// A bottom-up 24-bit DIB (BITMAPINFOHEADER and rows), pixels given top row
// first as 0xRRGGBB.
inline File dib24(int w, int h, const std::vector<std::uint32_t>& rgb) {
    File f;
    put32le(f, 40);
    put32le(f, static_cast<std::uint32_t>(w));
    put32le(f, static_cast<std::uint32_t>(h));
    put16le(f, 1);
    put16le(f, 24);
    put32le(f, 0);
    put32le(f, 0);
    put32le(f, 0);
    put32le(f, 0);
    put32le(f, 0);
    put32le(f, 0);
    const int stride = (w * 3 + 3) / 4 * 4;
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = rgb[static_cast<std::size_t>(y * w + x)];
            f.push_back(c & 0xFF);
            f.push_back((c >> 8) & 0xFF);
            f.push_back((c >> 16) & 0xFF);
        }
        for (int k = w * 3; k < stride; ++k)
            f.push_back(0);
    }
    return f;
}

// A WMF: the placeable header (when given a box), the metafile header and
// records of 16-bit words.
class WmfWriter {
  public:
    WmfWriter() = default;
    WmfWriter(int left, int top, int right, int bottom, unsigned unitsPerInch) {
        placeable_ = true;
        put32le(head_, 0x9AC6CDD7);
        put16le(head_, 0);
        for (int v : {left, top, right, bottom})
            put16le(head_, static_cast<unsigned>(v) & 0xFFFF);
        put16le(head_, unitsPerInch);
        put32le(head_, 0);
        unsigned sum = 0;
        for (std::size_t i = 0; i < 20; i += 2)
            sum ^= head_[i] | head_[i + 1] << 8;
        put16le(head_, sum);
    }

    // One record: its function and parameter words (signed values welcome).
    WmfWriter& record(unsigned function, std::initializer_list<int> words) {
        return record(function, std::vector<int>(words));
    }
    WmfWriter& record(unsigned function, const std::vector<int>& words, const File& tail = {}) {
        const std::size_t bytes = 6 + 2 * words.size() + tail.size() + (tail.size() & 1);
        put32le(body_, static_cast<std::uint32_t>(bytes / 2));
        put16le(body_, function);
        for (int w : words)
            put16le(body_, static_cast<unsigned>(w) & 0xFFFF);
        body_.insert(body_.end(), tail.begin(), tail.end());
        if (tail.size() & 1)
            body_.push_back(0);
        ++objectsHint_;
        return *this;
    }

    static std::vector<int> colour(std::uint32_t ref) {
        return {static_cast<int>(ref & 0xFFFF), static_cast<int>(ref >> 16)};
    }

    // The usual records by name; rectangles are left, top, right, bottom.
    WmfWriter& windowOrg(int x, int y) { return record(0x020B, {y, x}); }
    WmfWriter& windowExt(int x, int y) { return record(0x020C, {y, x}); }
    WmfWriter& viewportOrg(int x, int y) { return record(0x020D, {y, x}); }
    WmfWriter& viewportExt(int x, int y) { return record(0x020E, {y, x}); }
    WmfWriter& mapMode(int m) { return record(0x0103, {m}); }
    WmfWriter& bkMode(int m) { return record(0x0102, {m}); }
    WmfWriter& bkColour(std::uint32_t ref) { return record(0x0201, colour(ref)); }
    WmfWriter& textColour(std::uint32_t ref) { return record(0x0209, colour(ref)); }
    WmfWriter& textAlign(int a) { return record(0x012E, {a}); }
    WmfWriter& rop2(int r) { return record(0x0104, {r}); }
    WmfWriter& polyFillMode(int m) { return record(0x0106, {m}); }
    WmfWriter& pen(int style, int width, std::uint32_t ref) {
        auto c = colour(ref);
        return record(0x02FA, {style, width, 0, c[0], c[1]});
    }
    WmfWriter& brush(int style, std::uint32_t ref, int hatch = 0) {
        auto c = colour(ref);
        return record(0x02FC, {style, c[0], c[1], hatch});
    }
    WmfWriter& font(int height, const std::string& face, int charset = 204, int escapement = 0,
                    int weight = 400) {
        File name(face.begin(), face.end());
        name.resize(32, 0);
        File tail = {0, 0, 0, static_cast<unsigned char>(charset), 0, 0, 0, 0};
        tail.insert(tail.end(), name.begin(), name.end());
        return record(0x02FB, {height, 0, escapement, 0, weight}, tail);
    }
    WmfWriter& select(int i) { return record(0x012D, {i}); }
    WmfWriter& remove(int i) { return record(0x01F0, {i}); }
    WmfWriter& save() { return record(0x001E, {}); }
    WmfWriter& restore(int n = -1) { return record(0x0127, {n}); }
    WmfWriter& rectangle(int l, int t, int r, int b) { return record(0x041B, {b, r, t, l}); }
    WmfWriter& ellipse(int l, int t, int r, int b) { return record(0x0418, {b, r, t, l}); }
    WmfWriter& roundRect(int l, int t, int r, int b, int w, int h) {
        return record(0x061C, {h, w, b, r, t, l});
    }
    // Arc (0x0817), pie (0x081A), chord (0x0830).
    WmfWriter& arcLike(unsigned fn, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
        return record(fn, {ye, xe, ys, xs, b, r, t, l});
    }
    WmfWriter& moveTo(int x, int y) { return record(0x0214, {y, x}); }
    WmfWriter& lineTo(int x, int y) { return record(0x0213, {y, x}); }
    WmfWriter& poly(unsigned fn, const std::vector<std::pair<int, int>>& pts) {
        std::vector<int> w{static_cast<int>(pts.size())};
        for (auto [x, y] : pts) {
            w.push_back(x);
            w.push_back(y);
        }
        return record(fn, w);
    }
    WmfWriter& polygon(const std::vector<std::pair<int, int>>& pts) { return poly(0x0324, pts); }
    WmfWriter& polyline(const std::vector<std::pair<int, int>>& pts) { return poly(0x0325, pts); }
    WmfWriter& polyPolygon(const std::vector<std::vector<std::pair<int, int>>>& polys) {
        std::vector<int> w{static_cast<int>(polys.size())};
        for (const auto& p : polys)
            w.push_back(static_cast<int>(p.size()));
        for (const auto& p : polys)
            for (auto [x, y] : p) {
                w.push_back(x);
                w.push_back(y);
            }
        return record(0x0538, w);
    }
    WmfWriter& intersectClip(int l, int t, int r, int b) { return record(0x0416, {b, r, t, l}); }
    WmfWriter& excludeClip(int l, int t, int r, int b) { return record(0x0415, {b, r, t, l}); }
    WmfWriter& textOut(int x, int y, const std::string& bytes) {
        std::vector<int> w{static_cast<int>(bytes.size())};
        File s(bytes.begin(), bytes.end());
        if (s.size() & 1)
            s.push_back(0);
        for (std::size_t i = 0; i < s.size(); i += 2)
            w.push_back(s[i] | s[i + 1] << 8);
        w.push_back(y);
        w.push_back(x);
        return record(0x0521, w);
    }
    WmfWriter& stretchDib(int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                          const File& dib, std::uint32_t rop = 0x00CC0020) {
        return record(0x0F43,
                      {static_cast<int>(rop & 0xFFFF), static_cast<int>(rop >> 16), 0, sh, sw, sy,
                       sx, h, w, y, x},
                      dib);
    }
    WmfWriter& dibPatternBrush(const File& dib) { return record(0x0142, {5, 0}, dib); }

    File file() const {
        File f = head_;
        File body = body_;
        put32le(body, 3);
        put16le(body, 0); // the end of the records
        put16le(f, 1);
        put16le(f, 9);
        put16le(f, 0x0300);
        put32le(f, static_cast<std::uint32_t>((18 + body.size()) / 2));
        put16le(f, static_cast<unsigned>(objectsHint_));
        put32le(f, 0);
        put16le(f, 0);
        f.insert(f.end(), body.begin(), body.end());
        return f;
    }

  private:
    bool placeable_ = false;
    File head_;
    File body_;
    int objectsHint_ = 0;
};

// An EMF: header with bounds, frame (hundredths of a millimetre) and a
// reference device of 96 dpi, then records of 32-bit fields.
class EmfWriter {
  public:
    // A picture of w x h pixels at 96 dpi, drawn in pixels (MM_TEXT).
    EmfWriter(int w, int h) {
        const int fw = w * 2540 / 96, fh = h * 2540 / 96;
        File hd;
        for (int v : {0, 0, w - 1, h - 1, 0, 0, fw, fh})
            put32le(hd, static_cast<std::uint32_t>(v));
        put32le(hd, 0x464D4520);
        put32le(hd, 0x10000);
        put32le(hd, 0); // bytes, set at the end
        put32le(hd, 0); // records, set at the end
        put16le(hd, 1);
        put16le(hd, 0);
        put32le(hd, 0);
        put32le(hd, 0);
        put32le(hd, 0);
        // 1024 x 768 pixels on 270.93 x 203.2 mm: 96 dots an inch.
        for (int v : {1024, 768, 271, 203})
            put32le(hd, static_cast<std::uint32_t>(v));
        add(1, hd);
    }

    EmfWriter& add(std::uint32_t type, const File& params) {
        put32le(body_, type);
        put32le(body_, static_cast<std::uint32_t>(8 + params.size()));
        body_.insert(body_.end(), params.begin(), params.end());
        ++records_;
        return *this;
    }
    EmfWriter& add(std::uint32_t type, std::initializer_list<std::int64_t> fields,
                   const File& tail = {}) {
        File p;
        for (std::int64_t v : fields)
            put32le(p, static_cast<std::uint32_t>(v));
        p.insert(p.end(), tail.begin(), tail.end());
        while (p.size() % 4)
            p.push_back(0);
        return add(type, p);
    }

    EmfWriter& rectangle(int l, int t, int r, int b) { return add(43, {l, t, r, b}); }
    EmfWriter& ellipse(int l, int t, int r, int b) { return add(42, {l, t, r, b}); }
    EmfWriter& brush(std::uint32_t ih, int style, std::uint32_t ref, int hatch = 0) {
        return add(39, {ih, style, ref, hatch});
    }
    EmfWriter& pen(std::uint32_t ih, int style, int width, std::uint32_t ref) {
        return add(38, {ih, style, width, 0, ref});
    }
    EmfWriter& select(std::uint32_t ih) { return add(37, {ih}); }
    EmfWriter& stock(std::uint32_t which) { return add(37, {0x80000000u | which}); }
    EmfWriter& worldTransform(float m11, float m12, float m21, float m22, float dx, float dy) {
        File p;
        for (float v : {m11, m12, m21, m22, dx, dy})
            put32le(p, std::bit_cast<std::uint32_t>(v));
        return add(35, p);
    }

    File file() const {
        File f = body_;
        put32le(f, 14);
        put32le(f, 20);
        put32le(f, 0);
        put32le(f, 0x10);
        put32le(f, 20);
        // Header fields: total bytes and record count.
        const auto total = static_cast<std::uint32_t>(f.size());
        for (int k = 0; k < 4; ++k) {
            f[48 + k] = (total >> (8 * k)) & 0xFF;
            f[52 + k] = ((records_ + 1) >> (8 * k)) & 0xFF;
        }
        return f;
    }

  private:
    File body_;
    std::uint32_t records_ = 0;
};

} // namespace taleplay::pictures::test_support
