// Game text (Windows-1251) to and from Qt's Unicode strings.
#include "platform/qtext.h"

#include "core/codepage.h"

#include <QList>

namespace taleplay {

QString toQString(std::string_view cp1251) {
    QString s;
    s.reserve(static_cast<qsizetype>(cp1251.size()));
    for (unsigned char c : cp1251)
        s += QChar(static_cast<char16_t>(cp1251::toUnicode(c)));
    return s;
}

std::string fromQString(const QString& s) {
    std::string out;
    out.reserve(static_cast<std::size_t>(s.size()));
    for (char32_t cp : s.toUcs4())
        out += cp1251::fromUnicode(cp);
    return out;
}

std::string toUtf8(std::string_view cp1251) {
    return cp1251::toUtf8(cp1251);
}

} // namespace taleplay
