// Values put into a wording.
#include "core/own_text.h"

namespace taleplay {

std::string fillValues(const std::string& wording, const std::vector<std::string>& values) {
    std::string out;
    out.reserve(wording.size());
    for (std::size_t i = 0; i < wording.size(); ++i) {
        const char c = wording[i];
        const char next = i + 1 < wording.size() ? wording[i + 1] : '\0';
        if (c == '%' && next >= '1' && next <= '9' &&
            static_cast<std::size_t>(next - '1') < values.size()) {
            out += values[static_cast<std::size_t>(next - '1')];
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace taleplay
