#include "clientcore/seatlist.h"

#include <algorithm>

SeatList::SeatList() {
    names_.fill(kWaiting);
}

int SeatList::seatedCount() const {
    return int(std::count_if(names_.begin() + 1, names_.end(),
                             [](const QString &n) { return n != kWaiting; }));
}

QStringList SeatList::otherPlayers(int ownSeat) const {
    QStringList out;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        if (seat != ownSeat && names_[size_t(seat)] != kWaiting)
            out << names_[size_t(seat)];
    return out;
}

QString SeatList::spyEntry(int slot, const QString &name) {
    return QString::number(slot) + QStringLiteral(": ") + name;
}

void SeatList::setName(int seat, const QString &name) {
    if (!game::isSeat(seat))
        return;
    // The host names a free slot with an empty name.
    names_[size_t(seat)] = name.isEmpty() ? kWaiting : name;
    kept_[size_t(seat)] = false; // somebody took the seat, or it is free
}

void SeatList::setKept(int seat, int seconds) {
    if (!game::isSeat(seat))
        return;
    kept_[size_t(seat)] = true;
    keptUntil_[size_t(seat)] = QDeadlineTimer(std::chrono::seconds(std::max(0, seconds)));
}

int SeatList::keptSeconds(int seat) const {
    if (!kept(seat))
        return 0;
    // Rounded up, so that a fresh "3:00" shows as such.
    return int((keptUntil_[size_t(seat)].remainingTime() + 999) / 1000);
}

void SeatList::setScore(int seat, int total) {
    if (game::isSeat(seat))
        scores_[size_t(seat)] = total;
}

void SeatList::setBonus(int seat, const QString &bonus) {
    if (game::isSeat(seat))
        bonuses_[size_t(seat)] = bonus;
}

void SeatList::clearBonuses() {
    for (QString &b : bonuses_)
        b.clear();
}

void SeatList::setWatching(int seat, bool on) {
    if (game::isSeat(seat))
        watching_[size_t(seat)] = on;
}

bool SeatList::addSpy(int slot, const QString &name) {
    if (name.isEmpty())
        return false; // a free slot, nobody watching there
    const QString entry = spyEntry(slot, name);
    if (spies_.contains(entry))
        return false;
    spies_ << entry;
    return true;
}

bool SeatList::removeSpy(int slot, const QString &name) {
    return spies_.removeOne(spyEntry(slot, name));
}

void SeatList::clearGame() {
    for (int n = 1; n <= game::kSeats; ++n) {
        watching_[size_t(n)] = false;
        bonuses_[size_t(n)].clear();
        scores_[size_t(n)] = 0;
    }
}
