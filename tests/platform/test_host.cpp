#include "core/errors.h"
#include "platform/host.h"
#include "support/qt_support.h"

#include <QCoreApplication>
#include <QPointer>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace taleplay;

TEST(ControlHost, OneControlPerNameAndDestroyByName) {
    QWidget window;
    ControlHost host(window);
    auto& a = host.createImage("RIS1");
    EXPECT_THROW(host.createLabel("RIS1"), ComponentError);
    EXPECT_EQ(host.find("RIS1"), &a);

    QPointer<QWidget> watch(&a);
    host.destroy(a);
    // Gone from the window at once, deleted once the event loop runs.
    EXPECT_EQ(host.find("RIS1"), nullptr);
    EXPECT_TRUE(host.controls().empty());
    EXPECT_FALSE(watch.isNull());
    EXPECT_TRUE(watch->isHidden());
    auto& again = host.createImage("RIS1");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(host.find("RIS1"), &again);
}

TEST(ControlHost, AControlSetAsideKeepsItsNameOnlyUntilAnotherTakesIt) {
    QWidget window;
    ControlHost host(window);
    auto& kept = host.createImage("B1");
    host.setAside(kept);
    EXPECT_TRUE(kept.isHidden());
    EXPECT_EQ(host.find("B1"), &kept);
    auto& taker = host.createImage("B1");
    EXPECT_EQ(host.find("B1"), &taker);
    EXPECT_THROW(host.createImage("B1"), ComponentError); // the new one holds it
    EXPECT_EQ(host.controls().size(), 2u);
    host.destroy(taker);
    EXPECT_EQ(host.find("B1"), &kept);
}

TEST(ControlHost, WindowedControlsStayAbovePaintedOnes) {
    QWidget window;
    window.resize(100, 100);
    ControlHost host(window);
    auto& img1 = host.createImage("A");
    auto& list = host.createList("L");
    auto& img2 = host.createImage("B");
    auto& edit = host.createEdit("E");

    EXPECT_EQ(host.zOrder(img1), 0);
    EXPECT_EQ(host.zOrder(img2), 1);
    EXPECT_EQ(host.zOrder(list), 0);
    EXPECT_EQ(host.zOrder(edit), 1);

    host.bringToFront(img1);
    host.sendToBack(edit);
    EXPECT_EQ(host.zOrder(img1), 1);
    EXPECT_EQ(host.zOrder(img2), 0);
    EXPECT_EQ(host.zOrder(edit), 0);
    EXPECT_EQ(host.zOrder(list), 1);

    // Whatever happened, the painted layer is the window's lowest child.
    edit.setGeometry(60, 60, 20, 20);
    for (int i = 0; i < 2; ++i) {
        window.resize(100, 100);
        host.resizeLayer();
        list.setGeometry(0, 0, 50, 50);
        img1.setGeometry(0, 0, 50, 50);
        QWidget* top = window.childAt(10, 10);
        EXPECT_TRUE(top == &list || list.isAncestorOf(top))
            << i << " " << (top ? top->metaObject()->className() : "null") << " "
            << (top ? top->objectName().toStdString() : "");
        host.bringToFront(img1);
        host.sendToBack(list);
    }

    const auto all = host.controls();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0]->name(), "A");
    EXPECT_EQ(all[3]->name(), "E");
}

TEST(ControlHost, BackgroundTilesStackAsIfEachWereSentToTheBackWhenMade) {
    // The same screen made the plain way, each tile sent to the back as it
    // comes, and through the tile floor: the same stacking order, also
    // after the tiles are destroyed and made again (a screen switch).
    auto names = [](const ControlHost& host) {
        std::vector<std::string> out;
        for (QWidget* w : host.stacking(Layer::Graphic))
            out.push_back(controlOf(w)->name());
        return out;
    };
    QWidget plainWindow, window;
    ControlHost plain(plainWindow), host(window);
    plain.createImage("servant");
    host.createImage("servant");
    for (const char* n : {"BP0", "BP1", "BP2"}) {
        plain.sendToBack(plain.createImage(n));
        host.createBackgroundTile(n);
    }
    plain.createImage("picture");
    host.createImage("picture");
    EXPECT_EQ(names(host), names(plain));
    EXPECT_EQ(names(host), (std::vector<std::string>{"BP2", "BP1", "BP0", "servant", "picture"}));
    EXPECT_EQ(host.zOrder(*host.find("BP0")), 2);

    for (const char* n : {"BP0", "BP1", "BP2"}) {
        plain.destroy(*plain.find(n));
        host.destroy(*host.find(n));
    }
    for (const char* n : {"uraBP0", "uraBP1"}) {
        plain.sendToBack(plain.createImage(n));
        host.createBackgroundTile(n);
    }
    EXPECT_EQ(names(host), names(plain));
    EXPECT_EQ(names(host).front(), "uraBP1");
    // Every tile keeps its place on the window.
    host.find("uraBP0")->widget()->move(30, 40);
    EXPECT_EQ(host.find("uraBP0")->widget()->mapTo(&window, QPoint(0, 0)), QPoint(30, 40));
}

TEST(ControlHost, AControlWithARunningHandlerOutlivesItsDestruction) {
    QWidget window;
    ControlHost host(window);
    auto& button = host.createImage("Nazhimalka1");
    QPointer<QWidget> watch(&button);
    {
        HandlerGuard outer(button);
        {
            HandlerGuard inner(button); // a nested click on the same button
            host.destroy(button);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_FALSE(watch.isNull());
            EXPECT_EQ(host.find("Nazhimalka1"), nullptr);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(watch.isNull());
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}
