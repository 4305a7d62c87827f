#pragma once
// A temporary game folder for the description-file tests. Test sources are
// UTF-8; `cp` turns their texts into the Windows-1251 bytes the program uses.
#include "core/codepage.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace taleplay::test {

inline std::string cp(std::string_view utf8) {
    return cp1251::fromUtf8(utf8);
}

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "descr-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Writes `bytes` as they are into the file named `name` (Windows-1251)
    // and returns the composed path the program would use for it.
    std::string write(std::string_view name, std::string_view bytes) const {
        std::ofstream out(onDisk(name), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return composed(name);
    }

    std::string composed(std::string_view name) const { return path_ + "/" + std::string(name); }
    std::string onDisk(std::string_view name) const { return path_ + "/" + cp1251::toUtf8(name); }

  private:
    std::string path_;
};

} // namespace taleplay::test
