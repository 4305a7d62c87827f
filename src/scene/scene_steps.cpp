#include "scene/scene_steps.h"

#include "app/taleforge_main.h"
#include "commands/taleforge_serv_serv.h"
#include "descr/File_functions.h"
#include "platform/paths.h"

namespace taleplay {

int clientLength(const TForm1& form, Axis axis) {
    return axis == Axis::Horizontal ? form.clientWidth() : form.clientHeight();
}

std::string numberedKey(std::string_view prefix, int number, std::string_view suffix) {
    std::string key(prefix);
    key += std::to_string(number);
    key += suffix;
    return key;
}

int resolveSize(std::string_view file, std::string_view stem, Axis axis, int reference) {
    const bool across = axis == Axis::Horizontal;
    std::string key(stem);
    const int value =
        divisionValue(file, key + (across ? "*widthindivision*" : "*heightindivision*"), reference)
            .value;
    if (value != 0)
        return value;
    return pixelValue(file, key + (across ? "*widthinpixels*" : "*heightinpixels*"));
}

int resolvePosition(std::string_view file, std::string_view stem, Axis axis, int reference,
                    int size) {
    const bool across = axis == Axis::Horizontal;
    std::string key(stem);
    const DivisionValue division =
        divisionValue(file, key + (across ? "*leftindivision*" : "*topindivision*"), reference);
    int value = division.value;
    if (division.centre)
        value = centredPosition(reference, size);
    if (value != 0)
        return value;
    return pixelValue(file, key + (across ? "*leftinpixels*" : "*topinpixels*"));
}

Size measurePicture(TForm1& form, const std::string& composedPath) {
    ImageControl& servant = *form.ImageServant;
    servant.setStretch(false);
    servant.setAutoSize(true);
    servant.loadPicture(composedPath);
    return {servant.width(), servant.height()};
}

std::optional<Size> pictureSize(TForm1& form, std::string_view file, std::string_view stem,
                                const std::string& composedPath) {
    const Size natural = measurePicture(form, composedPath);
    if (natural.width <= 0 || natural.height <= 0)
        return std::nullopt;
    const int width = resolveSize(file, stem, Axis::Horizontal, form.clientWidth());
    const int height = resolveSize(file, stem, Axis::Vertical, form.clientHeight());
    return sizeFromAspect(natural.width, natural.height, width, height);
}

std::string decorationPictureName(const TForm1& form, std::string_view file, std::string_view key,
                                  std::string_view defaultName) {
    const std::string& folder = form.state.dataFolder;
    std::string name = keyValue(file, key);
    if (!name.empty() && !paths::fileExists(folder + name))
        name.clear();
    if (name.empty())
        name = defaultName;
    return paths::fileExists(folder + name) ? name : std::string();
}

std::string reportedPictureName(TForm1& form, std::string_view file, std::string_view key) {
    std::string name = keyValue(file, key);
    if (!name.empty() && !paths::fileExists(form.state.dataFolder + name)) {
        MissingFileReport(form, name, Halt::No);
        name.clear();
    }
    return name;
}

std::optional<NumberedPicture> placeNumberedPicture(TForm1& form, std::string_view file,
                                                    const std::string& stem) {
    const std::string name = reportedPictureName(form, file, stem + "*name*");
    if (name.empty())
        return std::nullopt;
    NumberedPicture out;
    out.path = form.state.dataFolder + name;
    const std::optional<Size> size = pictureSize(form, file, stem, out.path);
    if (!size)
        return std::nullopt;
    out.size = *size;
    out.left = resolvePosition(file, stem, Axis::Horizontal, clientLength(form, Axis::Horizontal),
                               size->width);
    out.top = resolvePosition(file, stem, Axis::Vertical, clientLength(form, Axis::Vertical),
                              size->height);
    // No star after the number, and the blank after "#" belongs to the flag.
    out.transparent = flagSet(file, stem + "transparent*yes# ");
    out.hidden = flagSet(file, stem + "visible*no# ");
    return out;
}

} // namespace taleplay
