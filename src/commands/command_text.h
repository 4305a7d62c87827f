#pragma once
// How click-rule lines and command texts are cut: shared by the player and
// by the game checker, which must read them exactly as the player does.
#include <cstddef>
#include <string>
#include <string_view>

namespace taleplay {

// The text of a rule line between the first `open` and the first `close`
// after it, trimmed; empty when the line lacks either of them.
std::string RuleField(std::string_view line, std::string_view open, std::string_view close);

// The colour a lower-cased "textcolor"/"backcolor" command carries:
// "textcolor clred" gives "clred", "backcolor $00ffff" gives "$00ffff"; the
// "$" form wins when both occur, and without either the text is empty.
std::string CommandColour(std::string_view lowered);

// The argument of a contained command: the text without the command word's
// length of characters, trimmed, so it comes out right only when the word
// opens the command.
std::string CommandArgument(std::string_view command, std::size_t wordLength);

} // namespace taleplay
