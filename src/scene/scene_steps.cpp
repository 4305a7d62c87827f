// Size, place, measuring and picture names, as every builder reads them.
#include "scene/scene_steps.h"

#include "core/paths.h"
#include "descr/File_functions.h"
#include "game/game.h"

#include <algorithm>

namespace taleplay {

int clientLength(const Game& game, Axis axis) {
    return axis == Axis::Horizontal ? game.clientWidth() : game.clientHeight();
}

std::string numberedKey(std::string_view prefix, int number, std::string_view suffix) {
    std::string key(prefix);
    key += std::to_string(number);
    key += suffix;
    return key;
}

Size measurePicture(Game& game, const std::string& composedPath) {
    ImageControl& servant = *game.ImageServant;
    servant.setStretch(false);
    servant.setAutoSize(true);
    servant.loadPicture(composedPath);
    return {servant.width(), servant.height()};
}

std::optional<Size> pictureSize(Game& game, std::string_view file, std::string_view stem,
                                const std::string& composedPath) {
    const Size natural = measurePicture(game, composedPath);
    if (natural.width <= 0 || natural.height <= 0)
        return std::nullopt;
    const int width = resolveSize(file, stem, Axis::Horizontal, game.clientWidth());
    const int height = resolveSize(file, stem, Axis::Vertical, game.clientHeight());
    return sizeFromAspect(natural.width, natural.height, width, height);
}

std::string decorationPictureName(const Game& game, std::string_view file, std::string_view key,
                                  std::string_view defaultName) {
    const std::string& folder = game.state.dataFolder;
    std::string name = keyValue(file, key);
    if (!name.empty() && !paths::fileExists(folder + name))
        name.clear();
    if (name.empty())
        name = defaultName;
    return paths::fileExists(folder + name) ? name : std::string();
}

std::string reportedPictureName(Game& game, std::string_view file, std::string_view key) {
    std::string name = keyValue(file, key);
    if (!name.empty() && !paths::fileExists(game.state.dataFolder + name)) {
        MissingFileReport(game, name, Halt::No);
        name.clear();
    }
    return name;
}

std::optional<NumberedPicture> placeNumberedPicture(Game& game, std::string_view file,
                                                    const std::string& stem) {
    const std::string name = reportedPictureName(game, file, stem + "*name*");
    if (name.empty())
        return std::nullopt;
    NumberedPicture out;
    out.path = game.state.dataFolder + name;
    const std::optional<Size> size = pictureSize(game, file, stem, out.path);
    if (!size)
        return std::nullopt;
    out.size = *size;
    out.left = resolvePosition(file, stem, Axis::Horizontal, clientLength(game, Axis::Horizontal),
                               size->width);
    out.top = resolvePosition(file, stem, Axis::Vertical, clientLength(game, Axis::Vertical),
                              size->height);
    // No star after the number, and the blank after "#" belongs to the flag.
    out.transparent = flagSet(file, stem + "transparent*yes# ");
    out.hidden = flagSet(file, stem + "visible*no# ");
    return out;
}

} // namespace taleplay
