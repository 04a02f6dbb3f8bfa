#include "common/window_placement.h"

#include <algorithm>

namespace {
constexpr int kGap = 8;

QSize fitted(QSize size, const QRect& desk) {
    if (size.width() <= desk.width() && size.height() <= desk.height()) return size;
    return size.scaled(desk.size(), Qt::KeepAspectRatio);
}

// Moved the least distance that puts the whole rectangle on the desktop.
QRect onDesk(QRect r, const QRect& desk) {
    r.moveLeft(std::clamp(r.left(), desk.left(), desk.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), desk.top(), desk.bottom() + 1 - r.height()));
    return r;
}
}  // namespace

QRect PlaceBeside(const QRect& main, const QSize& wanted, const QRect& desk) {
    if (desk.isEmpty()) return QRect(QPoint(main.right() + 1 + kGap, main.top()), wanted);
    const QSize size = fitted(wanted, desk);
    const QRect right(QPoint(main.right() + 1 + kGap, main.top()), size);
    if (right.right() <= desk.right()) return onDesk(right, desk);
    const QRect left(QPoint(main.left() - kGap - size.width(), main.top()), size);
    if (left.left() >= desk.left()) return onDesk(left, desk);
    return onDesk(QRect(QPoint(main.right() + 1 - size.width(), main.top()), size), desk);
}
