#include "playtest/script.h"

#include "app/taleforge_main.h"
#include "playtest/dump.h"

#include <QFile>
#include <QJsonDocument>
#include <QPixmap>
#include <istream>
#include <ostream>

namespace taleplay::playtest {
namespace {

std::string trim(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos)
        return {};
    std::size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

} // namespace

Runner::Runner(TForm1& form, std::string baseFolder, std::ostream& out)
    : form_(form), base_(std::move(baseFolder)), out_(out) {}

void Runner::fail(const std::string& where, const std::string& message) {
    ++failed_;
    out_ << where << ": FAILED: " << message << "\n";
}

std::string Runner::absolute(const std::string& file) const {
    if (file.empty() || file.front() == '/')
        return file;
    return base_ + "/" + file;
}

void Runner::setEnded(const std::string& why) {
    if (ended_)
        return;
    ended_ = true;
    out_ << "program ended: " << why << "\n";
}

void Runner::runScript(std::istream& in, const std::string& scriptName) {
    std::string line;
    int number = 0;
    while (std::getline(in, line))
        runLine(line, scriptName + ":" + std::to_string(++number));
}

void Runner::runLine(const std::string& raw, const std::string& where) {
    std::string line = trim(raw);
    if (line.empty() || line.front() == '#')
        return;
    std::size_t space = line.find_first_of(" \t");
    const std::string command = line.substr(0, space);
    const std::string rest = space == std::string::npos ? std::string() : trim(line.substr(space));

    if (command == "dump") {
        dump(rest, where);
    } else if (command == "screenshot") {
        screenshot(rest, where);
    } else {
        fail(where, "unknown command '" + command + "'");
    }
}

void Runner::dump(const std::string& target, const std::string& where) {
    if (target.empty())
        return fail(where, "dump needs a file name or -");
    const QByteArray json = QJsonDocument(dumpScene(form_)).toJson(QJsonDocument::Indented);
    if (target == "-") {
        out_ << json.toStdString();
        return;
    }
    QFile file(QString::fromStdString(absolute(target)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(json) != json.size())
        fail(where, "cannot write " + target);
}

void Runner::screenshot(const std::string& target, const std::string& where) {
    if (target.empty())
        return fail(where, "screenshot needs a file name");
    const QPixmap shot = form_.grab();
    if (!shot.save(QString::fromStdString(absolute(target)), "PNG"))
        fail(where, "cannot write " + target);
}

std::string Runner::summary() const {
    return std::to_string(passed_) + " passed, " + std::to_string(failed_) + " failed";
}

} // namespace taleplay::playtest
