#pragma once

#include <QRect>
#include <QSize>

// Where a window of `size` (its frame included) opens beside the window the user
// works in, `main` (frame included), on a desktop whose free area is `desk`:
// right of it, else left of it, else over it at its top right; in every case
// fully on the desktop, shrunk to it when larger, at the same shape.
QRect PlaceBeside(const QRect& main, const QSize& size, const QRect& desk);
