// Cutting rule fields, command colours and arguments out of their text.
#include "commands/command_text.h"

#include "descr/Stroki_functions.h"

namespace taleplay {

std::string RuleField(std::string_view line, std::string_view open, std::string_view close) {
    if (line.find(open) == std::string_view::npos || line.find(close) == std::string_view::npos)
        return {};
    return trimSpaces(textBeforeDelimiter(textAfterKey(line, open), close));
}

std::string CommandColour(std::string_view lowered) {
    std::string colour;
    if (auto at = lowered.find("cl"); at != std::string_view::npos)
        colour = "cl" + std::string(lowered.substr(at + 2));
    if (auto at = lowered.find('$'); at != std::string_view::npos)
        colour = "$" + std::string(lowered.substr(at + 1));
    return colour;
}

std::string CommandArgument(std::string_view command, std::size_t wordLength) {
    return trimSpaces(command.size() > wordLength ? command.substr(wordLength)
                                                  : std::string_view());
}

} // namespace taleplay
