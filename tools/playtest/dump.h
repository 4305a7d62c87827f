#pragma once
// The scene as JSON: what the playtest driver's `dump` writes. Authors'
// scripts and outside checks read these field names; keep them.
#include <QJsonObject>

namespace taleplay {
class TForm1;
class ControlHost;
class Control;
} // namespace taleplay

namespace taleplay::playtest {

QJsonObject dumpScene(taleplay::TForm1& form);
// One control as the scene's "controls" list shows it.
QJsonObject dumpControl(taleplay::ControlHost& host, taleplay::Control& control);

} // namespace taleplay::playtest
