#pragma once
// Helpers the picture decoder tests share: byte writers for the files they
// build by hand, running a decoder on such a file, the checks for files a
// decoder must refuse, fuzz seeds, and the colours the tests expect.
// The small writers of each format stay in that format's test file.
#include "core/errors.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace taleplay::pictures::test_support {

// The same type as encoders::File, so files from either place mix freely.
using File = std::vector<unsigned char>;

// Appending writers, for headers built front to back.
inline void put16le(File& f, unsigned v) {
    f.push_back(v & 0xFF);
    f.push_back((v >> 8) & 0xFF);
}
inline void put32le(File& f, std::uint32_t v) {
    put16le(f, v & 0xFFFF);
    put16le(f, v >> 16);
}
inline void put16be(File& f, unsigned v) {
    f.push_back((v >> 8) & 0xFF);
    f.push_back(v & 0xFF);
}
inline void put32be(File& f, std::uint32_t v) {
    put16be(f, v >> 16);
    put16be(f, v & 0xFFFF);
}

// Writers at a fixed place, for fields whose value is known only later or
// that a test damages on purpose.
inline void set16le(File& f, std::size_t at, unsigned v) {
    f[at] = v & 0xFF;
    f[at + 1] = (v >> 8) & 0xFF;
}
inline void set32be(File& f, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k)
        f[at + k] = (v >> (24 - 8 * k)) & 0xFF;
}

using Decoder = Picture (*)(Bytes, std::size_t);

// Runs a decoder on a whole file held in memory.
template <Decoder decode> Picture decodeFile(const File& f) {
    return decode(f.data(), f.size());
}

// The text of the error a decoder gives for the file, "(no error)" if it
// reads it, so tests can compare whole messages.
template <Decoder decode> std::string errorOf(const File& f) {
    try {
        decode(f.data(), f.size());
    } catch (const PictureError& e) {
        return e.what();
    }
    return "(no error)";
}

// A file a decoder must refuse, and a part of the error text it must give.
struct Refused {
    const char* name;
    File file;
    const char* message;
};

template <Decoder decode> void expectRefused(const File& f, const char* message) {
    try {
        decode(f.data(), f.size());
        ADD_FAILURE() << "no error";
    } catch (const PictureError& e) {
        EXPECT_NE(std::string(e.what()).find(message), std::string::npos)
            << e.what() << " (expected: " << message << ")";
    }
}

template <Decoder decode> void expectRefused(const std::vector<Refused>& cases) {
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.name);
        expectRefused<decode>(c.file, c.message);
    }
}

// Puts the bytes on disk, replacing whatever the file held.
inline void writeFile(const std::string& path, const char* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(data, static_cast<std::streamsize>(size));
}
inline void writeFile(const std::string& path, const File& f) {
    writeFile(path, reinterpret_cast<const char*>(f.data()), f.size());
}

// Saves a generated file as a fuzzing seed when TALEPLAY_SEED_DIR is set
// (that is how the seeds under fuzz/corpus were made).
inline void seed(const std::string& fileName, const File& f) {
    if (const char* dir = std::getenv("TALEPLAY_SEED_DIR"))
        writeFile(std::string(dir) + "/" + fileName, f);
}
inline void seed(const std::string& fileName, const std::string& text) {
    if (const char* dir = std::getenv("TALEPLAY_SEED_DIR"))
        writeFile(std::string(dir) + "/" + fileName, text.data(), text.size());
}
// Named after a test case: every character but letters and digits becomes
// '-', so the name is safe in any file system.
inline void seed(std::string caseName, const char* ext, const File& f) {
    for (char& c : caseName)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '-';
    seed(caseName + ext, f);
}

inline constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                               kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

} // namespace taleplay::pictures::test_support
