// Containers and codecs of sound and video files, from their headers.
#include "check/media.h"
#include "check/translate.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string_view>

namespace taleplay::check {
namespace {

// How much of a file is read to find its streams: the headers of AVI, WAV,
// AIFF and Ogg files come first; an MP4 or QuickTime index may come last and
// is found by walking the file's boxes.
constexpr std::size_t kHeadBytes = 1 << 20;
constexpr std::uint64_t kLargestIndex = 32u << 20;

std::uint32_t le32(std::string_view b, std::size_t at) {
    if (at + 4 > b.size())
        return 0;
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
unsigned le16(std::string_view b, std::size_t at) {
    if (at + 2 > b.size())
        return 0;
    return static_cast<unsigned>(static_cast<unsigned char>(b[at])) |
           static_cast<unsigned>(static_cast<unsigned char>(b[at + 1])) << 8;
}
std::uint32_t be32(std::string_view b, std::size_t at) {
    if (at + 4 > b.size())
        return 0;
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3]));
}
std::string fourcc(std::string_view b, std::size_t at) {
    return at + 4 <= b.size() ? std::string(b.substr(at, 4)) : std::string();
}

bool oneOf(std::string_view code, std::initializer_list<std::string_view> codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The sound formats of WAV and AVI files that the decoders read.
bool decodableTag(unsigned tag) {
    static constexpr std::array<unsigned, 30> tags{
        0x0001, 0x0002, 0x0003, 0x0006, 0x0007, 0x0011, 0x0017, 0x0022, 0x0031, 0x0032,
        0x0040, 0x0045, 0x0050, 0x0055, 0x0061, 0x0062, 0x0064, 0x0069, 0x00FF, 0x0160,
        0x0161, 0x0162, 0x0163, 0x0200, 0x1610, 0x2000, 0x2001, 0x706D, 0xF1AC, 0xFFFE};
    return std::find(tags.begin(), tags.end(), tag) != tags.end() ||
           (tag >= 0x674F && tag <= 0x6771); // Ogg Vorbis in WAV
}

std::string tagName(unsigned tag) {
    char text[32];
    std::snprintf(text, sizeof text, "format tag 0x%04X", tag);
    return text;
}

// The picture codes of AVI files that the decoders read, upper case.
bool decodableFourcc(const std::string& code) {
    return oneOf(upper(code),
                 {// uncompressed and run-length
                  "DIB ", "RGB ", "RAW ", "MRLE", "RLE ", "RLE8", "RLE4", "Y800", "YUY2", "UYVY",
                  "YV12", "I420", "IYUV", "YVYU", "HFYU", "FFV1", "ZLIB", "MSZH", "8BPS",
                  // Motion-JPEG
                  "MJPG", "AVRN", "LJPG", "JPGL", "DMB1", "IJPG", "JPEG", "MJLS", "AVDJ",
                  // MPEG-4 part 2 and Microsoft's MPEG-4
                  "XVID", "DIVX", "DX50", "FMP4", "MP4V", "M4S2", "MP4S", "3IV2", "BLZ0", "DXGM",
                  "UMP4", "SEDG", "RMP4", "XVIX", "MP41", "MP42", "MP43", "DIV3", "DIV4", "DIV5",
                  "DIV6", "MPG4", "AP41", "COL1",
                  // H.263, H.264, MPEG-1 and -2
                  "H263", "I263", "U263", "M263", "VIVO", "H264", "X264", "AVC1", "DAVC", "VSSH",
                  "MPG1", "MPG2", "MPEG", "PIM1", "MMES",
                  // the old codecs of Windows and its games
                  "MSVC", "CRAM", "WHAM", "CVID", "IV31", "IV32", "IV41", "IV50", "RT21", "TSCC",
                  "CSCD", "ZMBV", "VP30", "VP31", "VP50", "VP60", "VP61", "VP62", "VP70", "VP80",
                  "WMV1", "WMV2", "WMV3", "WVC1", "SVQ1", "SVQ3", "ASV1", "ASV2", "CYUV", "ULTI",
                  "QPEG", "Q1.0", "Q1.1", "VCR1", "VCR2", "TM20", "AASC", "FPS1", "LOCO", "CLJR",
                  "VIXL", "SMC ", "QRLE", "DVSD", "DV25", "DV50", "CDVC", "KMVC", "VMNC", "FLV1",
                  "MJ2C", "UCOD", "AURA", "AUR2", "CHQX", "DUCK", "PNG1", "MPNG", "GIF "});
}

void readAvi(std::string_view b, MediaFormat& out) {
    // Each stream's header names its kind; its format, the codec.
    for (std::size_t at = b.find("strh"); at != std::string_view::npos;
         at = b.find("strh", at + 4)) {
        const std::string kind = fourcc(b, at + 8);
        const std::size_t format = b.find("strf", at + 8);
        if (format == std::string_view::npos)
            break;
        const std::size_t data = format + 8;
        if (kind == "vids") {
            const std::uint32_t compression = le32(b, data + 16);
            MediaStream s{true, {}, true};
            if (compression <= 3) {
                s.codec = compression == 0 ? "uncompressed" : "run-length";
            } else {
                s.codec = fourcc(b, data + 16);
                s.decodable = decodableFourcc(s.codec);
            }
            out.streams.push_back(s);
        } else if (kind == "auds") {
            const unsigned tag = le16(b, data);
            out.streams.push_back({false, tagName(tag), decodableTag(tag)});
        }
    }
}

void readWav(std::string_view b, MediaFormat& out) {
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::uint32_t size = le32(b, at + 4);
        if (fourcc(b, at) == "fmt ") {
            const unsigned tag = le16(b, at + 8);
            out.streams.push_back({false, tagName(tag), decodableTag(tag)});
            return;
        }
        at += 8 + size + (size & 1);
    }
}

void readAiff(std::string_view b, MediaFormat& out, bool compressed) {
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::uint32_t size = be32(b, at + 4);
        if (fourcc(b, at) == "COMM") {
            MediaStream s{false, "PCM", true};
            if (compressed) {
                s.codec = fourcc(b, at + 8 + 18);
                s.decodable =
                    oneOf(s.codec, {"NONE", "none", "sowt", "twos", "raw ", "fl32", "FL32",
                                    "fl64", "FL64", "in24", "in32", "alaw", "ALAW", "ulaw",
                                    "ULAW", "ima4", "MAC3", "MAC6", "GSM ", "QDMC", "QDM2"});
            }
            out.streams.push_back(s);
            return;
        }
        at += 8 + size + (size & 1);
    }
}

void readOgg(std::string_view b, MediaFormat& out) {
    // The first packet of each stream, on its first page, names its codec.
    for (std::size_t at = b.find("OggS"); at != std::string_view::npos;
         at = b.find("OggS", at + 4)) {
        if (at + 27 > b.size() || !(static_cast<unsigned char>(b[at + 5]) & 0x02))
            continue; // not the first page of a stream
        const std::size_t segments = static_cast<unsigned char>(b[at + 26]);
        const std::string_view packet = b.substr(std::min(b.size(), at + 27 + segments), 8);
        const struct {
            std::string_view head;
            const char* codec;
            bool video;
        } known[] = {{"\x01vorbis", "Vorbis", false},
                     {"OpusHead", "Opus", false},
                     {"Speex   ", "Speex", false},
                     {"\x7F"
                      "FLAC",
                      "FLAC", false},
                     {"\x80theora", "Theora", true},
                     {"fishead", "", false}};
        bool found = false;
        for (const auto& k : known)
            if (packet.substr(0, k.head.size()) == k.head) {
                if (*k.codec)
                    out.streams.push_back({k.video, k.codec, true});
                found = true;
            }
        if (!found)
            out.streams.push_back({false, N_("an unknown codec"), false});
    }
}

// MP4 and QuickTime: the sample description of each track names its codec;
// the track's handler says whether it is pictures or sound.
void readTracks(std::string_view index, MediaFormat& out) {
    std::size_t at = 0;
    for (;;) {
        const std::size_t handler = index.find("hdlr", at);
        if (handler == std::string_view::npos)
            return;
        const std::string kind = fourcc(index, handler + 12);
        const std::size_t description = index.find("stsd", handler);
        if (description == std::string_view::npos)
            return;
        const std::string code = fourcc(index, description + 16);
        if (kind == "vide")
            out.streams.push_back(
                {true, code,
                 oneOf(code, {"avc1", "avc3", "hvc1", "hev1", "mp4v", "jpeg", "mjpa", "mjpb",
                              "png ", "rle ", "rpza", "smc ", "cvid", "SVQ1", "SVQ3", "h263",
                              "s263", "dvc ", "dvcp", "dv5n", "dv5p", "apcn", "apch", "apcs",
                              "apco", "ap4h", "ap4x", "vp08", "vp09", "av01", "raw ", "8BPS",
                              "tiff", "gif ", "b16g", "b48r", "2vuy", "yuv2", "v210"})});
        else if (kind == "soun")
            out.streams.push_back(
                {false, code, oneOf(code, {"mp4a", ".mp3", "twos", "sowt", "raw ", "NONE", "in24",
                                           "in32", "fl32", "fl64", "lpcm", "ulaw", "alaw", "ima4",
                                           "ac-3", "ec-3", "alac", "samr", "sawb", "Opus", "fLaC",
                                           "QDMC", "QDM2", "MAC3", "MAC6"})});
        at = description + 4;
    }
}

void readIsoBoxes(std::ifstream& in, MediaFormat& out) {
    // Top-level boxes, each skipped by its size, until the index.
    std::uint64_t at = 0;
    for (int boxes = 0; boxes < 1000; ++boxes) {
        std::string head(16, '\0');
        in.clear();
        in.seekg(static_cast<std::streamoff>(at));
        in.read(head.data(), 16);
        if (in.gcount() < 8)
            return;
        std::uint64_t size = be32(head, 0);
        std::uint64_t headSize = 8;
        if (size == 1 && in.gcount() == 16) {
            size = static_cast<std::uint64_t>(be32(head, 8)) << 32 | be32(head, 12);
            headSize = 16;
        }
        if (fourcc(head, 4) == "moov") {
            if (size < headSize || size > kLargestIndex)
                return;
            std::string index(static_cast<std::size_t>(size - headSize), '\0');
            in.clear();
            in.seekg(static_cast<std::streamoff>(at + headSize));
            in.read(index.data(), static_cast<std::streamsize>(index.size()));
            index.resize(static_cast<std::size_t>(in.gcount()));
            readTracks(index, out);
            return;
        }
        if (size < headSize)
            return; // a box to the end of the file, or a broken one
        at += size;
    }
}

} // namespace

MediaFormat readMediaFormat(const std::string& fsPath) {
    MediaFormat out;
    std::ifstream in(fsPath, std::ios::binary);
    if (!in)
        return out;
    std::string head(kHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const std::string_view b = head;
    const auto at = [&](std::size_t offset, std::string_view text) {
        return b.size() >= offset + text.size() && b.substr(offset, text.size()) == text;
    };

    if (at(0, "RIFF") && at(8, "AVI ")) {
        out.container = "AVI";
        readAvi(b, out);
    } else if (at(0, "RIFF") && at(8, "WAVE")) {
        out.container = "WAV";
        readWav(b, out);
    } else if (at(0, "FORM") && (at(8, "AIFF") || at(8, "AIFC"))) {
        out.container = "AIFF";
        readAiff(b, out, at(8, "AIFC"));
    } else if (at(0, "OggS")) {
        out.container = "Ogg";
        readOgg(b, out);
    } else if (at(4, "ftyp") || at(4, "moov") || at(4, "mdat") || at(4, "wide") || at(4, "free") ||
               at(4, "skip")) {
        out.container = "MP4/QuickTime";
        readIsoBoxes(in, out);
    } else if (at(0, std::string_view("\x00\x00\x01\xBA", 4))) {
        out.container = "MPEG program stream"; // MPEG video and audio, all read
    } else if (at(0, std::string_view("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8))) {
        out.container = "ASF"; // Windows Media, all read
    } else if (at(0, "ID3") || (b.size() >= 2 && static_cast<unsigned char>(b[0]) == 0xFF &&
                                (static_cast<unsigned char>(b[1]) & 0xE0) == 0xE0)) {
        out.container = "MPEG audio";
    }
    return out;
}

} // namespace taleplay::check
