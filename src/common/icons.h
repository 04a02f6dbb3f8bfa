#pragma once

#include <QIcon>

// The program's own pictures, drawn rather than shipped so they stay sharp at any
// size and need no image files beside the executable.
namespace Icons {
QIcon split();
QIcon join();
QIcon settings();
QIcon help();
QIcon homepage();
QIcon about();
QIcon bulb();
QIcon start();
// The buttons that choose a page of the format settings dialog.
QIcon formatPage();
}  // namespace Icons
