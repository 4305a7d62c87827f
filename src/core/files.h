#pragma once
// Reading and writing the game's text files, byte for byte.
#include <cstdio>
#include <string>
#include <vector>

namespace taleplay::files {

// Reads a text file line by line as Windows reads a description file: a line
// ends at LF or CR LF (a lone CR stays in the line), a Ctrl-Z ends the file,
// and a line has no length limit. A file that starts with a UTF-8 byte-order
// mark is read as UTF-8 and handed out in Windows-1251 like every other
// (characters the code page lacks become '?'), so authors may save their
// files either way. Memory stays proportional to the longest
// line. Opening or reading a file that exists but cannot be read throws
// InOutError with `shownPath` in the message.
class LineReader {
  public:
    LineReader(const std::string& fsPath, const std::string& shownPath);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line into `line` (its previous content is replaced, its
    // capacity reused); false at the end of the file.
    bool next(std::string& line);

  private:
    bool fill();
    bool nextRaw(std::string& line);

    std::FILE* file_ = nullptr;
    std::string shownPath_;
    std::vector<char> buf_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool eof_ = false;
    bool started_ = false;
    bool utf8_ = false;
};

// Reads a whole file into `out`; throws InOutError when it exists but cannot
// be read. `limit` bounds what is read, so a hostile file cannot exhaust
// memory; a larger file throws InOutError too.
void readWholeFile(const std::string& fsPath, const std::string& shownPath,
                   std::vector<unsigned char>& out, std::size_t limit);

// Replaces a file's content without ever leaving it half written: the text
// goes to a temporary file in the same folder, is flushed to disk and renamed
// over the old one, then the folder is synced. Throws InOutError with
// writeErrorMessage() on failure, leaving the old file as it was.
void writeFileAtomically(const std::string& fsPath, const std::string& content);

// "File access denied", "Disk full", "Invalid filename", "Too many open
// files", "File not found", or "I/O error N" for any other error number.
std::string writeErrorMessage(int err);

} // namespace taleplay::files
