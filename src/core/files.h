#pragma once
// Reading and writing the game's text files, byte for byte.
#include <cstdio>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace taleplay::files {

// How a description file's bytes are read: Windows-1251 as they are, or
// UTF-8 converted into Windows-1251 (characters the code page lacks become
// '?'). A file that starts with a byte-order mark is UTF-8; so is one whose
// bytes (up to a Ctrl-Z) are entirely strict UTF-8, hold at least one
// character of several bytes, and read as plausible text (utf8::Validator::
// plausible), which Linux editors save by default. Anything else stays
// Windows-1251: two Russian letters in a row never form a sequence, and a
// capital followed by Ё or punctuation, which does, spells a character no
// game writes.
enum class TextEncoding { Windows1251, Utf8WithMark, Utf8 };

// The encoding of a whole file's bytes, as the line reader decides it.
TextEncoding textEncoding(std::string_view bytes);

// "Windows-1251", "UTF-8 with a byte-order mark", "UTF-8 without a
// byte-order mark".
const char* encodingName(TextEncoding encoding);

// Reads a text file line by line as Windows reads a description file: a line
// ends at LF or CR LF (a lone CR stays in the line), a Ctrl-Z ends the file,
// and a line has no length limit. Lines come out in Windows-1251 whatever
// the file's encoding (textEncoding). Memory stays proportional to the
// longest line. Opening or reading a file that exists but cannot be read
// throws InOutError naming `composedPath`, the path as the program composed
// it.
class LineReader {
  public:
    LineReader(const std::string& fsPath, const std::string& composedPath);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line into `line` (its previous content is replaced, its
    // capacity reused); false at the end of the file.
    bool next(std::string& line);

    // The encoding decided so far: until the first byte beyond ASCII, where
    // the choice is made for the whole file, Windows-1251 (which reads ASCII
    // the same).
    TextEncoding encoding() const { return encoding_; }

  private:
    bool fill();
    bool nextRaw(std::string& line);
    bool restIsUtf8(long long from);

    int fd_ = -1;
    // What is left to read of the size the file had when it was opened: a
    // file that grows while it is read (or never ends) is read no further.
    long long remaining_ = 0;
    long long size_ = 0;
    std::string composedPath_;
    std::vector<char> buf_;
    long long bufStart_ = 0; // file offset of buf_[0]
    long long lineStart_ = 0;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool eof_ = false;
    bool started_ = false;
    bool decided_ = false;
    TextEncoding encoding_ = TextEncoding::Windows1251;
};

// Opens `fsPath` for reading only if it is a regular file (or a link to
// one), without ever blocking: a pipe, a device or a socket in a game's
// place would hang or never end. Returns the descriptor and fills `st`, or
// -1 with errno set (EISDIR for a folder, ENXIO for anything else that is
// no regular file).
int openRegularFile(const std::string& fsPath, struct stat& st);

// Reads a whole file into `out`, in one allocation of the size it had when
// opened; throws InOutError, naming `composedPath`, when it exists but cannot
// be read or is no regular file. `limit` bounds what is read, so a hostile
// file cannot exhaust memory; a larger file throws InOutError too.
void readWholeFile(const std::string& fsPath, const std::string& composedPath,
                   std::vector<unsigned char>& out, std::size_t limit);
// The first `count` bytes of the file, or all of a shorter one; throws as
// readWholeFile does, but never for the file's size.
void readFileStart(const std::string& fsPath, const std::string& composedPath,
                   std::vector<unsigned char>& out, std::size_t count);

// Creates a file, or overwrites the one there, so that a crash or a kill at
// any moment leaves either the old content or the new. An existing file
// stays the same file: a symbolic link keeps pointing where it did and its
// target is written; a file of another owner, with further hard links, or in
// a folder the program may not change is overwritten in place (the new
// content over the old, then cut to its length, then flushed). Only a new
// file, or a plain file of the program's own in a folder it may change, is
// written beside and renamed over the old one, keeping its permissions. A
// file without any write permission is refused, also to root, as Windows
// refuses a read-only file to everyone. A file another player makes while
// this one is being written is never replaced by the new one: it is then
// written as an existing file. A new file has the usual permissions (the
// umask's), or is readable by everyone and writable by its owner alone,
// whatever the umask, for a pupil's folder that the teacher reads. Throws
// InOutError with writeErrorMessage() on failure, leaving the old file as it
// was.
enum class NewFile { UsualPermissions, ReadableByAll };
void overwriteFile(const std::string& fsPath, std::string_view content,
                   NewFile newFile = NewFile::UsualPermissions);

// "File access denied", "Disk full", "Invalid filename", "Too many open
// files", "File not found", or "I/O error N" for any other error number.
std::string writeErrorMessage(int err);

// Whether the program may make and rename files in `folder` (native). A
// folder without any write permission counts as read-only also for root.
bool folderWritable(const std::string& folder);

} // namespace taleplay::files
