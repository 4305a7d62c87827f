#pragma once
// Where the program's Windows-1251 texts meet Qt.
#include <QString>
#include <string>
#include <string_view>

namespace taleplay {

QString toQString(std::string_view cp1251);
std::string fromQString(const QString& s); // characters outside the code page become '?'
std::string toUtf8(std::string_view cp1251);

} // namespace taleplay
