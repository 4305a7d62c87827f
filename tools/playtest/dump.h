#pragma once
// The scene as JSON: what the playtest driver's `dump` writes. Authors'
// scripts and outside checks read these field names; keep them.
#include <QJsonObject>

namespace taleplay {
class TForm1;
}

namespace taleplay::playtest {

QJsonObject dumpScene(taleplay::TForm1& form);

} // namespace taleplay::playtest
