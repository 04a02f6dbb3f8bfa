#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

// Pixels of a small picture: `width` times `height` 32-bit words 0xAARRGGBB in
// the machine's byte order, row by row with no padding (a QImage's ARGB32).
struct FramePixels {
    int width = 0;
    int height = 0;
    QByteArray argb;
};

// The first picture of a video, upright and at its display aspect, scaled down to
// fit within `box` (never enlarged): a thumbnail for a list. Raises QuillmarkError
// naming the file when it holds no picture that decodes. Safe on any thread.
FramePixels FirstFrame(const QString& file, QSize box);
