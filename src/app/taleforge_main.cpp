#include "app/taleforge_main.h"

#include "app/taleforge_error.h"
#include "platform/system.h"

#include <QCloseEvent>
#include <QScreen>

namespace taleplay {

TForm1::TForm1(std::string startedAs) : startedAs_(std::move(startedAs)), host_(*this) {
    setWindowTitle(QStringLiteral("TALEPLAY"));
    // The design bounds matter only when the player restores the window.
    setGeometry(233, 210, 696, 480);

    ImageServant = &host_.createImage("ImageServant");
    ImageServant->setGeometry(0, 0, 65, 37);
    ImageServant->setAutoSize(true);
    ImageServant->setTransparent(true);
    ImageServant->hide();

    LabelServant = &host_.createLabel("LabelServant");
    LabelServant->move(0, 0);
    FontSpec servantFont;
    servantFont.height = 23;
    LabelServant->setFont(servantFont);
    LabelServant->setCaption("LabelServant");
    LabelServant->hide();

    VideoWindow1 = &host_.createVideo("VideoWindow1");
    VideoWindow1->setGeometry(24, 136, 65, 57);
    VideoWindow1->hide();
    FilterGraph1 = new FilterGraph(*VideoWindow1, this);

    // Disabled in the window resource and never enabled by any operation.
    Timer1 = new QTimer(this);
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    FormCreate();
}

TForm1::~TForm1() {
    FormDestroy();
}

void TForm1::FormCreate() {
    // Default device, 44.1 kHz; a failure only means no sound.
    audio_.init(-1, 44100, 0, this);
}

void TForm1::FormDestroy() {
    // The graph first (it stops any video), then the audio library.
    delete FilterGraph1;
    FilterGraph1 = nullptr;
    audio_.free();
}

void TForm1::showMaximisedWindow() {
    if (QScreen* s = screen())
        setGeometry(s->availableGeometry());
    showMaximized();
}

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QWidget::event(e);
}

void TForm1::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // Some platforms never activate a window nobody looks at; start up once
    // the window is shown all the same.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    host_.resizeLayer();
}

void TForm1::closeEvent(QCloseEvent* e) {
    FormClose();
    e->accept();
}

void TForm1::FormActivate() {
    // The start-up sequence builds on a window that holds none of its
    // components yet, so it runs once, at the first activation.
    if (startUpBegun_ || !isVisible())
        return;
    startUpBegun_ = true;
    runEvent([this] { StartUp(); });
    startUpDone_ = true;
}

void TForm1::FormClose() {
    if (state.start.requested && !state.start.file.empty())
        platform::shellOpen(state.start.file, state.start.folder);
}

void TForm1::ShowException(const std::string& message) {
    recordMessage(message);
    platform::messageBox(this, "TALEPLAY", message);
}

void TForm1::Timer1Timer() {
    if (state.pauseCounter != 0)
        --state.pauseCounter;
}

} // namespace taleplay
