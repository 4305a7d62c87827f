#include "playtest/scratch.h"

#include <cstdlib>
#include <filesystem>

namespace taleplay::playtest {

bool ScratchFolder::make(const std::string& dataFolder, const std::string& name) {
    std::error_code error;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    std::string folder =
        ((error ? std::filesystem::path("/tmp") : temp) / "taleplay-scratch-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return false;
    path_ = folder + "/";
    std::filesystem::create_directory_symlink(dataFolder, path_ + name, error);
    return !error;
}

ScratchFolder::~ScratchFolder() {
    if (path_.empty())
        return;
    // The link goes, never what it points to.
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace taleplay::playtest
