// The pictures a screen's builders will load, found as they will find them.
#include "scene/look_ahead.h"

#include "core/paths.h"
#include "descr/File_functions.h"
#include "game/game.h"
#include "platform/system.h"
#include "scene/scene_steps.h"

#include <array>

namespace taleplay {
namespace {

// Collects the decodes in the builders' order while they fit the budget.
class Plan {
  public:
    Plan(Game& game, pictures::Prefetch& ahead)
        : game_(game), ahead_(ahead),
          room_(pictures::pictureMemoryBudget() -
                (pictures::livePictureBytes() - pictures::passingPictureBytes())) {}

    // The natural size of the picture `name` when its header tells it.
    std::optional<Size> natural(const std::string& name) {
        if (name.empty())
            return std::nullopt;
        const std::string composed = game_.state.dataFolder + name;
        try {
            const auto known = pictures::naturalSizeIfKnown(paths::resolve(composed), composed);
            if (known)
                return Size{known->width, known->height};
        } catch (const TaleError&) {
            // Told by its builder.
        }
        return std::nullopt;
    }

    void add(const std::string& name, Size natural, const pictures::Shown& shown) {
        if (full_ || name.empty())
            return;
        const pictures::Extent kept = pictures::keptExtent({natural.width, natural.height}, shown);
        const std::int64_t bytes = std::int64_t(kept.width) * kept.height * 4;
        if (bytes > room_) {
            full_ = true; // the rest is left to the builders, in their order
            return;
        }
        room_ -= bytes;
        const std::string composed = game_.state.dataFolder + name;
        ahead_.add(paths::resolve(composed), composed, shown);
    }

    // Pictures and buttons: each numbered component whose file exists.
    void numbered(const std::string& file, const char* prefix, int count) {
        for (int n = 1; n <= count; ++n) {
            const std::string stem = numberedKey(prefix, n, "");
            const std::string name = keyValue(file, stem + "*name*");
            const auto size = natural(name);
            if (!size)
                continue;
            const auto shownSize = pictureSize(game_, file, stem, *size);
            if (shownSize)
                add(name, *size,
                    stretchedTo(*shownSize, flagSet(file, stem + "transparent*yes# ")));
        }
    }

  private:
    Game& game_;
    pictures::Prefetch& ahead_;
    std::int64_t room_;
    bool full_ = false;
};

} // namespace

std::unique_ptr<pictures::Prefetch> DecodeAhead(Game& game, const PictureScreen& screen,
                                                const std::string& buttonsFile) {
    auto ahead = std::make_unique<pictures::Prefetch>();
    Plan plan(game, *ahead);
    const std::string& file = screen.file;
    const int cw = game.clientWidth();
    const int ch = game.clientHeight();

    const std::string tile = decorationPictureName(game, file, "*fon*name*", "fon.bmp");
    if (const auto size = plan.natural(tile))
        plan.add(tile, *size, {});

    const std::string large = largeBackgroundName(game, screen, platform::screenSize());
    if (const auto size = plan.natural(large))
        plan.add(large, *size, stretchedTo({cw - 2, ch - 2}, false));

    const bool frameTransparent = flagSet(file, "*frametransparent*yes#");
    const std::string across = decorationPictureName(game, file, "*framehoriz*name*", "ramkahor.bmp");
    const std::string down = decorationPictureName(game, file, "*framevert*name*", "ramkavert.bmp");
    const auto acrossSize = plan.natural(across);
    FrameTiling horizontal;
    if (acrossSize) {
        horizontal = horizontalFrameTiling(
            cw, *acrossSize, resolveSize(file, "*framehoriz", Axis::Vertical, ch));
        if (horizontal.thickness > 0)
            plan.add(across, *acrossSize,
                     stretchedTo({horizontal.tile, horizontal.thickness}, frameTransparent));
    }
    const auto downSize = plan.natural(down);
    if (downSize && (acrossSize || across.empty())) {
        int width = resolveSize(file, "*framevert", Axis::Horizontal, cw);
        if (width == 0)
            width = horizontal.thickness;
        if (width == 0)
            width = downSize->width;
        const FrameTiling vertical = verticalFrameTiling(ch, *downSize, width);
        if (vertical.thickness > 0)
            plan.add(down, *downSize,
                     stretchedTo({vertical.thickness, vertical.tile}, frameTransparent));
    }

    plan.numbered(file, "*picture", 50);

    static constexpr std::array<std::pair<const char*, const char*>, 4> corners{{
        {"*upleftcorner*name*", "cornerupleft.bmp"},
        {"*uprightcorner*name*", "cornerupright.bmp"},
        {"*bottomleftcorner*name*", "cornerbottomleft.bmp"},
        {"*bottomrightcorner*name*", "cornerbottomright.bmp"},
    }};
    std::array<std::string, 4> cornerNames;
    std::optional<Size> last;
    bool allKnown = true;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        cornerNames[i] = decorationPictureName(game, file, corners[i].first, corners[i].second);
        if (cornerNames[i].empty())
            continue;
        last = plan.natural(cornerNames[i]);
        allKnown = allKnown && last;
    }
    const auto cornerShown =
        allKnown && last ? cornerSize(*last, resolveSize(file, "*corner", Axis::Vertical, ch))
                         : std::nullopt;
    if (cornerShown) {
        const bool transparent = flagSet(file, "*cornertransparent*yes#");
        for (const std::string& name : cornerNames)
            if (const auto size = plan.natural(name))
                plan.add(name, *size, stretchedTo(*cornerShown, transparent));
    }

    plan.numbered(buttonsFile, "*button", 30);
    return ahead;
}

} // namespace taleplay
