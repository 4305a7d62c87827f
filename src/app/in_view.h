#pragma once
// What a sighted player has in view of the game's screen, and what changed
// in view since an earlier look: the controls that came into view and the
// answer boxes whose colours changed. Reading aloud reads the new text
// lines; screen readers hear an announcement of everything that changed.
// Decoration is never in view: only what screen readers are told about is.
#include "platform/colors.h"

#include <QPointer>
#include <vector>

class QWidget;

namespace taleplay {

class Control;
class Game;

class InView {
  public:
    // An answer box whose letters or background changed colour.
    struct Recoloured {
        Control* box;
        bool text;
        bool back;
    };
    struct Changes {
        std::vector<Control*> cameIntoView; // in creation order
        std::vector<Recoloured> recoloured;
    };

    // Looks at the screen now and tells what changed since the last look.
    // A control hidden and shown again comes into view again; the first look
    // finds everything in view new. The controls must have been described
    // (describeControls) since they were made.
    Changes look(Game& game);
    // The next look finds everything in view new.
    void forget() { seen_.clear(); }

  private:
    struct Seen {
        QPointer<QWidget> widget;
        Colour text = 0;
        Colour back = 0;
    };
    std::vector<Seen> seen_;
};

} // namespace taleplay
