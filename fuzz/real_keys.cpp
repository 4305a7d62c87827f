// The player's keys, from the checker's table.
#include "real_keys.h"

#include <set>

namespace taleplay::fuzz {

std::vector<RealKey> realKeys(check::FileRole role, int number) {
    const check::FileKeys& keys = check::keysReadFrom(role);
    std::vector<RealKey> out;
    for (const char* k : keys.values)
        out.push_back({k, KeyUse::Value});
    for (const char* k : keys.flags)
        out.push_back({k, KeyUse::Flag});
    for (const check::KeyFamily* family : keys.families) {
        const std::string stem = "*" + std::string(family->word) + std::to_string(number);
        for (const char* s : family->values)
            out.push_back({stem + s, KeyUse::Value});
        // Per-item flags end in a blank after their "#".
        for (const char* s : family->flags)
            out.push_back({stem + s + " ", KeyUse::Flag});
        for (const char* s : family->rules)
            out.push_back({stem + s, KeyUse::Rule});
        for (const char* s : family->answers)
            out.push_back({stem + s, KeyUse::Answer});
        if (family->strings)
            for (int k : {1, 2, 3})
                out.push_back({stem + "*string" + std::to_string(k) + "*", KeyUse::Value});
    }
    return out;
}

const std::vector<std::string>& allRealKeys() {
    static const std::vector<std::string> all = [] {
        std::set<std::string> seen;
        std::vector<std::string> out;
        for (check::FileRole role : {check::FileRole::PlayPictures, check::FileRole::PlayTexts,
                                     check::FileRole::TextWindows, check::FileRole::Buttons,
                                     check::FileRole::EndPictures, check::FileRole::EndTexts})
            for (int n : {1, 2, 3, 10, 11, 50})
                for (RealKey& k : realKeys(role, n))
                    if (seen.insert(k.text).second)
                        out.push_back(std::move(k.text));
        return out;
    }();
    return all;
}

} // namespace taleplay::fuzz
