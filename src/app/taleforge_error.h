#pragma once
// The error window: the missing-file report's own window.
#include "game/game.h"
#include "platform/host.h"

#include <QDialog>
#include <string>

namespace taleplay {

class TForm1;

class TForm2 final : public QDialog {
    Q_OBJECT
  public:
    explicit TForm2(TForm1& mainWindow);

    // Shows "Can't find file  " + path modally and returns once it is
    // closed; a halting report throws ProgramHalted then instead.
    void report(const std::string& path, Halt halt);

    // Sizes and places the window over the main window, as on activation.
    void layOut();
    LabelControl& label() { return *Label1; }
    bool haltFlag() const { return haltFlag_; }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    TForm1& main_;
    ControlHost host_;
    LabelControl* Label1;
    bool haltFlag_ = false;
};

} // namespace taleplay
