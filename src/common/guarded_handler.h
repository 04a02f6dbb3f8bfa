#pragma once

#include "common/messages.h"

class QWidget;

// A slot that runs owner->handler() and shows any error it raises in the error
// box over `window`, so no failure of a click escapes into Qt's event loop.
template <class Owner>
auto Guarded(QWidget* window, Owner* owner, void (Owner::*handler)()) {
    return [window, owner, handler] { Messages::guarded(window, [owner, handler] { (owner->*handler)(); }); };
}

// The same for many handlers of one owner: guard(&Owner::Click) gives the slot.
template <class Owner>
auto GuardedHandlers(QWidget* window, Owner* owner) {
    return [window, owner](void (Owner::*handler)()) { return Guarded(window, owner, handler); };
}
