#pragma once
// The demo's pictures, each drawn from scratch with QPainter: shapes,
// gradients and text, no outside material.
#include <QColor>
#include <QImage>
#include <QString>

namespace demoart {

// The flat colour around pictures that the game shows with colour-key
// transparency: the player drops every pixel of the bottom-left pixel's
// colour. Close to the panels' own blue, so edge pixels blend in.
inline const QColor keyBlue{12, 22, 52};
// The same for frames and corners, which lie over the dark sky.
inline const QColor keyDark{2, 3, 9};

QImage sky(int width, int height, bool withHills);
QImage starTile(int side);
QImage ashTile(int side);
QImage frameTile(int length, int thickness); // horizontal; rotate for the sides
QImage cornerTopLeft(int side);
QImage panel(int width, int height);
QImage orionStars(int side);
QImage orionLines(int side);
QImage moon(int side);
QImage clouds(int side);
QImage crystal(QColor hue, bool lit, int width, int height);
QImage brokenCrystal(int width, int height);
QImage comet(int width, int height);
QImage cometFrame(int width, int height, double t); // t from 0 to 1
QImage button(const QString& text, QColor base, bool pressed, int width, int height);
QImage iconButton(char icon, QColor base, bool pressed, int side); // 'x' close, 'o' eye
QImage telescopeButton(bool pressed, int width, int height);

// The school quiz's.
QImage firTree(int side);
QImage sun(int side);
QImage snowflake(int side);
QImage tick(int side);
QImage markStar(const QString& mark, QColor colour, int side); // the mark on a star

} // namespace demoart
