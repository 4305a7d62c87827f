#include "check/check.h"
#include "check/translate.h"

#include <array>
#include <cstdio>
#include <filesystem>

namespace taleplay::check {
namespace {

// As JSON has it.
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

// As a line shows it.
const char* shownSeverity(Severity s) {
    switch (s) {
    case Severity::Error:
        return tr("error");
    case Severity::Warning:
        return tr("warning");
    case Severity::Note:
        return tr("note");
    }
    return "";
}

std::array<unsigned long, 3> countsOf(const std::vector<Finding>& findings) {
    std::array<unsigned long, 3> counts{};
    for (const Finding& f : findings)
        ++counts[static_cast<std::size_t>(f.severity)];
    return counts;
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
    out += shownSeverity(f.severity);
    out += ": " + f.message;
    return out;
}

std::string formatJson(const std::string& folder, const std::vector<Finding>& findings) {
    const std::array<unsigned long, 3> counts = countsOf(findings);
    std::string out = "{\"folder\": " + jsonString(folder) +
                      ", \"game\": " + jsonString(gameName(folder)) +
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

std::string gameName(const std::string& folder) {
    std::filesystem::path path =
        std::filesystem::absolute(folder.empty() ? "." : folder).lexically_normal();
    if (!path.has_filename())
        path = path.parent_path(); // "data_quiz/" as well as "data_quiz"
    std::string name = path.filename().string();
    if (name.rfind("data_", 0) == 0 && name.size() > 5)
        name.erase(0, 5);
    return name;
}

std::string formatSummary(const std::string& folder, const std::vector<Finding>& findings) {
    const std::array<unsigned long, 3> n = countsOf(findings);
    const std::string errors = format(trn("{1} error", "{1} errors", n[0]), {std::to_string(n[0])});
    const std::string warnings =
        format(trn("{1} warning", "{1} warnings", n[1]), {std::to_string(n[1])});
    if (n[2] == 0)
        return format(tr("{1}: {2}, {3}"), {gameName(folder), errors, warnings});
    const std::string notes = format(trn("{1} note", "{1} notes", n[2]), {std::to_string(n[2])});
    return format(tr("{1}: {2}, {3}, {4}"), {gameName(folder), errors, warnings, notes});
}

} // namespace taleplay::check
