#pragma once
// A folder of its own for one run of the driver: a new temporary folder
// holding a link to the game's data folder, from which the game is played.
// What a game writes beside its data folder (its result file) lands there
// and is thrown away with it, so the game's own folder stays as it was.
#include <string>

namespace taleplay::playtest {

class ScratchFolder {
  public:
    ScratchFolder() = default;
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Makes the folder, with a link named `name` to `dataFolder` (both
    // UTF-8, the folder absolute); false when that cannot be done.
    bool make(const std::string& dataFolder, const std::string& name);
    // The folder, ending in '/'; empty before make().
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

} // namespace taleplay::playtest
