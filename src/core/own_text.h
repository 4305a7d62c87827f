#pragma once
// Texts of our own kept as their English wording and the values put into
// them, so that a layer without Qt can say what went wrong and the window
// can show it in the player's language.
#include <string>
#include <vector>

// Marks an English text of our own for the translators (lupdate takes it as
// QT_TRANSLATE_NOOP); here it is the text itself.
#ifndef TALEPLAY_TEXT
#define TALEPLAY_TEXT(context, text) text
#endif

namespace taleplay {

// `wording` with %1 to %9 replaced by the values, in one pass, so a value
// that holds "%2" stays as it is; a place without a value stays as written.
std::string fillValues(const std::string& wording, const std::vector<std::string>& values);

// A text of our own in English, with %1 to %9 where its values go.
struct OwnText {
    const char* context = "";
    const char* text = "";
    std::vector<std::string> values;

    std::string english() const { return fillValues(text, values); }
};

} // namespace taleplay
