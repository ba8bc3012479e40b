#pragma once

// The game table's events as the messages that carry them to the clients.

#include "game/events.h"

#include <QStringList>

namespace hostwire {

// The messages of one event, in the order they go out; none for an event
// that nobody hears.
QStringList messages(const game::Event &event);

} // namespace hostwire
