// Size, place, measuring and picture names, as every builder reads them.
#include "scene/scene_steps.h"

#include "core/paths.h"
#include "descr/File_functions.h"
#include "game/game.h"
#include "pictures/loader.h"

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

PictureUse numberedUse(const char* component, int number, std::string name) {
    return {OwnText{"Pictures", component, {std::to_string(number)}}, std::move(name)};
}

bool pictureStep(Game& game, const PictureUse& use, const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (PictureBudgetError& refused) {
        refused.setSource(use.component, use.name);
        game.refusePicture(refused);
        return false;
    } catch (PictureError& e) {
        e.setSource(use.component, use.name);
        throw;
    }
}

namespace {

// The measuring image as every measurement leaves it. The picture it held
// for the last component goes first: that component has loaded it, and a
// kept copy would otherwise be loaded whole again as the image stops
// stretching.
ImageControl& measuringImage(Game& game) {
    ImageControl& servant = *game.ImageServant;
    servant.clearPicture();
    servant.setStretch(false);
    servant.setAutoSize(true);
    return servant;
}

} // namespace

Size measurePicture(Game& game, const std::string& composedPath) {
    ImageControl& servant = measuringImage(game);
    servant.measurePicture(composedPath);
    return {servant.width(), servant.height()};
}

pictures::Shown stretchedTo(Size size, bool transparent) {
    return {true, size.width, size.height, transparent};
}

bool preparePicture(Game& game, const PictureUse& use, const std::string& composedPath,
                    const pictures::Shown& shown) {
    return pictureStep(game, use,
                       [&] { measuringImage(game).loadPicture(composedPath, shown); });
}

std::optional<Size> pictureSize(const Game& game, std::string_view file, std::string_view stem,
                                Size natural) {
    if (natural.width <= 0 || natural.height <= 0)
        return std::nullopt;
    const int width = resolveSize(file, stem, Axis::Horizontal, game.clientWidth());
    const int height = resolveSize(file, stem, Axis::Vertical, game.clientHeight());
    return sizeFromAspect(natural.width, natural.height, width, height);
}

std::optional<Size> pictureSize(Game& game, std::string_view file, std::string_view stem,
                                const std::string& composedPath) {
    return pictureSize(game, file, stem, measurePicture(game, composedPath));
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
                                                    const std::string& stem,
                                                    const char* component, int number) {
    const std::string name = reportedPictureName(game, file, stem + "*name*");
    if (name.empty())
        return std::nullopt;
    const PictureUse use = numberedUse(component, number, name);
    NumberedPicture out;
    out.path = game.state.dataFolder + name;
    std::optional<Size> size;
    if (!pictureStep(game, use, [&] { size = pictureSize(game, file, stem, out.path); }) || !size)
        return std::nullopt;
    out.size = *size;
    out.left = resolvePosition(file, stem, Axis::Horizontal, clientLength(game, Axis::Horizontal),
                               size->width);
    out.top = resolvePosition(file, stem, Axis::Vertical, clientLength(game, Axis::Vertical),
                              size->height);
    // No star after the number, and the blank after "#" belongs to the flag.
    out.transparent = flagSet(file, stem + "transparent*yes# ");
    out.hidden = flagSet(file, stem + "visible*no# ");
    if (!preparePicture(game, use, out.path, stretchedTo(out.size, out.transparent)))
        return std::nullopt;
    return out;
}

} // namespace taleplay
