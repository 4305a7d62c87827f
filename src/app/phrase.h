#pragma once
// A text of the player's own (usage, problems with what was asked for) kept
// as its English wording and the values put into it, so that it can be shown
// translated once the toolkit is there (app/language.h). No Qt: the command
// line is read before any toolkit exists.
#include <string>
#include <vector>

// Marks an English text for the translators: lupdate collects it as it
// collects QT_TRANSLATE_NOOP (the build tells it so); here it is the text.
#define TALEPLAY_TEXT(context, text) text

namespace taleplay::launch {

struct Phrase {
    const char* context = "";
    // English, with %1 to %9 where the values go.
    const char* text = "";
    // Native bytes or UTF-8, put in as they are, never translated.
    std::vector<std::string> values;

    bool empty() const { return *text == '\0'; }
    // The text in English with its values in.
    std::string english() const { return fill(text); }
    // `wording` (the text or a translation of it) with the values in.
    std::string fill(const std::string& wording) const;
};

} // namespace taleplay::launch
