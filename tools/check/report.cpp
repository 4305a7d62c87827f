#include "check/check.h"

#include <cstdio>

namespace taleplay::check {
namespace {

const char* severityWord(Severity s) {
    switch (s) {
    case Severity::Error:
        return "error";
    case Severity::Warning:
        return "warning";
    case Severity::Note:
        return "note";
    }
    return "";
}

std::string inFolder(const std::string& folder, const std::string& file) {
    if (file.empty())
        return folder;
    if (folder.empty() || folder.back() == '/')
        return folder + file;
    return folder + "/" + file;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch; // UTF-8 passes as it is
            }
        }
    }
    return out + "\"";
}

} // namespace

bool hasErrors(const std::vector<Finding>& findings) {
    for (const Finding& f : findings)
        if (f.severity == Severity::Error)
            return true;
    return false;
}

std::string formatLine(const std::string& folder, const Finding& f) {
    std::string out = inFolder(folder, f.file);
    if (f.line > 0)
        out += ":" + std::to_string(f.line);
    out += ": ";
    out += severityWord(f.severity);
    out += ": " + f.message;
    return out;
}

std::string formatJson(const std::string& folder, const std::vector<Finding>& findings) {
    int counts[3] = {};
    for (const Finding& f : findings)
        ++counts[static_cast<int>(f.severity)];
    std::string out = "{\"folder\": " + jsonString(folder) +
                      ", \"errors\": " + std::to_string(counts[0]) +
                      ", \"warnings\": " + std::to_string(counts[1]) +
                      ", \"notes\": " + std::to_string(counts[2]) + ", \"findings\": [";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        out += i ? ",\n  " : "\n  ";
        out += "{\"file\": " + jsonString(inFolder(folder, f.file)) +
               ", \"line\": " + std::to_string(f.line) + ", \"severity\": \"" +
               severityWord(f.severity) + "\", \"kind\": " + jsonString(f.kind) +
               ", \"message\": " + jsonString(f.message) + "}";
    }
    out += findings.empty() ? "]}\n" : "\n]}\n";
    return out;
}

} // namespace taleplay::check
