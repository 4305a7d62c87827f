// Phrases: their values put into a wording.
#include "app/phrase.h"

#include "core/own_text.h"

namespace taleplay::launch {

std::string Phrase::fill(const std::string& wording) const {
    return fillValues(wording, values);
}

} // namespace taleplay::launch
