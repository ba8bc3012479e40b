// The game on the host's table: the start request, the table's events sent as
// messages, and the one-second game clock.
#include "dict/tdictn.h"
#include "host/tserver.h"
#include "host/wire.h"

bool TServer::dictionaryOpen() const {
    return !spellit_ || spellit_->isOpen();
}

QString TServer::dictionaryError() const {
    return spellit_ ? spellit_->errorMessage() : QString();
}

void TServer::restore(const game::GameTable::State &state) {
    table_.restore(state);
    if (table_.running())
        Timer2.start();
    else
        Timer2.stop();
}

void TServer::startgame(int sender, const proto::tohost::Start &request) {
    if (sender != 1) {
        drop(sender, "a game start not sent by the hosting player");
        return;
    }
    const game::Events events = table_.start(request.payload, request.options);
    Timer2.start();
    play(sender, events);
}

void TServer::play(int sender, const game::Events &events) {
    for (const game::Addressed &a : events) {
        if (const auto *dropped = std::get_if<game::event::Dropped>(&a.event)) {
            drop(sender, dropped->why);
            continue;
        }
        for (const QString &message : hostwire::messages(a.event)) {
            switch (a.to.kind) {
            case game::Audience::Slot:
                sendTo(a.to.slot, message);
                break;
            case game::Audience::Everyone:
                sendAll(message);
                break;
            case game::Audience::Seats:
                sendSeats(message);
                break;
            }
        }
    }
    if (!table_.running())
        Timer2.stop();
}

void TServer::Timer2Timer() {
    play(0, table_.tick());
}
