// Reading aloud: what is read, when, and the pause for the game's sounds.
#include "app/read_aloud.h"

#include "app/accessible_names.h"
#include "app/language.h"
#include "app/taleforge_main.h"
#include "platform/speech.h"

#include <QApplication>
#include <iostream>

namespace taleplay {

ReadAloud::ReadAloud(TForm1& form) : QObject(&form), form_(form), voice_(new Voice(this)) {
    connect(qApp, &QApplication::focusChanged, this, &ReadAloud::onFocusChanged);
    // A sound gives no word when it ends; a tenth of a second late
    // is soon enough for a voice to go on.
    soundWatch_.setInterval(100);
    connect(&soundWatch_, &QTimer::timeout, this, &ReadAloud::followGameSound);
}

ReadAloud::~ReadAloud() = default;

void ReadAloud::toggle() {
    if (!on_)
        return turnOn();
    on_ = false;
    soundWatch_.stop();
    voice_->stop();
    voice_->setPaused(false);
}

void ReadAloud::turnOn() {
    if (on_)
        return;
    if (!voice_->available()) {
        if (!warned_)
            std::cerr << "taleplay: "
                      << launch::translate(launch::Phrase{
                             "ReadAloud",
                             QT_TRANSLATE_NOOP("ReadAloud", "no speech engine is installed: "
                                                            "nothing can be read aloud"),
                             {}})
                      << std::endl;
        warned_ = true;
        return;
    }
    on_ = true;
    inView_.forget();
    soundWatch_.start();
    followGameSound();
    readNewLines();
}

void ReadAloud::screenChanged() {
    if (on_)
        readNewLines();
}

void ReadAloud::readNewLines() {
    Game& game = form_.game();
    describeControls(game);
    // A line read before and still in view is not read again; one hidden
    // and shown again is.
    for (Control* c : inView_.look(game).cameIntoView)
        if (c->kind() == ControlKind::Label)
            voice_->say(c->widget()->accessibleName());
}

void ReadAloud::onFocusChanged(QWidget*, QWidget* now) {
    if (!on_ || !now || now->window() != &form_ || !controlOf(now))
        return;
    describeControls(form_.game());
    voice_->say(now->accessibleName());
}

void ReadAloud::followGameSound() {
    Game& game = form_.game();
    voice_->setPaused(game.soundStream() != 0 && game.audio().isPlaying(game.soundStream()));
}

} // namespace taleplay
