// What is in view, and what changed in view.
#include "app/in_view.h"

#include "game/game.h"

#include <algorithm>

namespace taleplay {

InView::Changes InView::look(Game& game) {
    Changes changes;
    std::vector<Seen> now;
    for (Control* c : game.host().controls()) {
        QWidget* w = c->widget();
        if (c->destroyed() || w->isHidden() || c->presence() != Presence::Presented)
            continue;
        Seen seen{w};
        if (c->kind() == ControlKind::Edit) {
            const auto* box = static_cast<const EditControl*>(c);
            seen.text = box->font().color;
            seen.back = box->color();
        }
        const auto before =
            std::find_if(seen_.begin(), seen_.end(), [w](const Seen& s) { return s.widget == w; });
        if (before == seen_.end())
            changes.cameIntoView.push_back(c);
        else if (before->text != seen.text || before->back != seen.back)
            changes.recoloured.push_back({c, before->text != seen.text, before->back != seen.back});
        now.push_back(seen);
    }
    seen_ = std::move(now);
    return changes;
}

} // namespace taleplay
