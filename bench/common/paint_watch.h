#pragma once
// Tells when a window has been painted completely: every widget that should
// show has received a paint event since the watch was last reset. A screen
// counts as shown at that moment, whether Qt painted it while showing the
// window or later, from the event loop.
#include "bench_support.h"
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <functional>
#include <unordered_set>
#include <vector>

namespace taleplay::bench {

class PaintWatch : public QObject {
  public:
    PaintWatch() { QCoreApplication::instance()->installEventFilter(this); }
    ~PaintWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

    void reset() {
        painted_.clear();
        paints_ = 0;
    }
    int paints() const { return paints_; }
    bool painted(const QWidget* w) const { return painted_.count(w) > 0; }

    // Processes events until every widget of `shown` has been painted since
    // the last reset, and returns nowMs() at the end of the event processing
    // that painted last; a negative number if some widget is never painted
    // (within a few seconds). Whether all were painted is checked only once
    // painting has stopped, as working out what is in view takes long on a
    // screen of thousands of controls and is no part of showing it.
    double waitUntilPainted(const std::function<std::vector<const QWidget*>()>& shown) {
        // Painted already, in the events processed before: at the latest
        // it was done by now.
        double lastPaintAt = paints_ > 0 ? nowMs() : -1;
        for (int round = 0; round < 5000; ++round) {
            const int before = paints_;
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            if (paints_ != before) {
                lastPaintAt = nowMs();
                continue;
            }
            if (lastPaintAt >= 0 && complete(shown()))
                return lastPaintAt;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
        }
        return -1;
    }

    // The widgets of `shown` not painted since the last reset.
    std::vector<const QWidget*> unpainted(const std::vector<const QWidget*>& shown) const {
        std::vector<const QWidget*> out;
        for (const QWidget* w : shown)
            if (!painted(w))
                out.push_back(w);
        return out;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++paints_;
            painted_.insert(static_cast<const QWidget*>(watched));
        }
        return QObject::eventFilter(watched, e);
    }

  private:
    bool complete(const std::vector<const QWidget*>& widgets) const {
        for (const QWidget* w : widgets)
            if (!painted(w))
                return false;
        return true;
    }

    std::unordered_set<const QObject*> painted_;
    int paints_ = 0;
};

} // namespace taleplay::bench
