#pragma once
// The playtest script: one command a line, '#' starts a comment.
#include <QString>
#include <Qt>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace taleplay {
class TForm1;
class Control;
} // namespace taleplay

namespace taleplay::playtest {

class Runner {
  public:
    // `baseFolder` is where relative file names of the script point (the
    // folder the driver was started in, not the game's).
    Runner(TForm1& form, std::string baseFolder, std::ostream& out);

    // Runs one line; `where` names it in messages ("script.txt:3").
    void runLine(const std::string& line, const std::string& where);
    void runScript(std::istream& in, const std::string& scriptName);

    int passed() const { return passed_; }
    int failed() const { return failed_; }
    // The closing line: "N passed, N failed".
    std::string summary() const;

    // What reading aloud has said so far, in order, for `expect said`.
    void hearSpeechFrom(const std::vector<std::string>& said) { said_ = &said; }

    // Set when the program has ended (a halting report, the window closed).
    void setEnded(const std::string& why);
    bool ended() const { return ended_; }

  private:
    void runCommand(const std::string& command, const std::string& rest, const std::string& where);
    void fail(const std::string& where, const std::string& message);
    std::string absolute(const std::string& file) const;
    void dump(const std::string& target, const std::string& where);
    void screenshot(const std::string& target, const std::string& where);
    void click(const std::string& name, Qt::MouseButton button, const std::string& where);
    void type(const std::string& rest, const std::string& where);
    void wait(const std::string& ms, const std::string& where);
    void expect(const std::string& rest, const std::string& where);
    // A person's press and release of one key, on what has the focus.
    void key(const std::string& name, const std::string& where);
    // A person's press on the control NAME, moves with the button held, and
    // the release DX, DY pixels further: in edit mode, a move.
    void drag(const std::string& rest, const std::string& where);
    // How the questions the game asks (Escape's "Leave the game?") are
    // answered from now on: yes or no (no at first).
    void answer(const std::string& yesOrNo, const std::string& where);
    void check(bool ok, const std::string& where, const std::string& what);
    std::vector<Control*> controlsNamed(const std::string& name);

    TForm1& form_;
    std::string base_;
    std::ostream& out_;
    int passed_ = 0;
    int failed_ = 0;
    bool ended_ = false;
    std::size_t messagesSeen_ = 0;
    const std::vector<std::string>* said_ = nullptr;
    std::size_t saidSeen_ = 0;
};

} // namespace taleplay::playtest
