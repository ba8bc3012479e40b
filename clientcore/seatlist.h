#pragma once

// Who sits where as a client sees it: the names, totals, last changes of
// score and watching marks of seats 1 to 4, and the watchers in slots 5 to 9.

#include "game/position.h"

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

#include <array>

class SeatList {
public:
    static inline const QString kWaiting = QStringLiteral("<Waiting>");

    SeatList();

    // A free seat is named kWaiting.
    QString name(int seat) const { return game::isSeat(seat) ? names_[size_t(seat)] : QString(); }
    int score(int seat) const { return game::isSeat(seat) ? scores_[size_t(seat)] : 0; }
    // The seat's last change of score as shown: "+N" for a move, "-10" for
    // new tiles, empty otherwise.
    QString bonus(int seat) const {
        return game::isSeat(seat) ? bonuses_[size_t(seat)] : QString();
    }
    bool watching(int seat) const { return game::isSeat(seat) && watching_[size_t(seat)]; }
    // Whether the seat is kept for its absent player, and the seconds of its
    // grace period left (0 once it is over).
    bool kept(int seat) const { return game::isSeat(seat) && kept_[size_t(seat)]; }
    int keptSeconds(int seat) const;
    // How many of seats 1 to 4 a player holds.
    int seatedCount() const;
    // The names of the players in seats 1 to 4 other than the own seat.
    QStringList otherPlayers(int ownSeat) const;
    // The watchers the host announced, one entry slot ": " name each
    // ("7: Alice"), in the order they came.
    const QStringList &spies() const { return spies_; }
    static QString spyEntry(int slot, const QString &name);

    // An empty name frees the seat.
    void setName(int seat, const QString &name);
    void setScore(int seat, int total);
    void setBonus(int seat, const QString &bonus);
    void clearBonuses();
    void setWatching(int seat, bool on);
    void setKept(int seat, int seconds);
    // Adds a watcher's entry unless it is there or the name is empty (a free
    // slot); whether it was added.
    bool addSpy(int slot, const QString &name);
    // Takes the entry with both the slot and the name; whether there was one.
    bool removeSpy(int slot, const QString &name);
    // A new game: totals, last changes and watching marks start afresh.
    void clearGame();

private:
    std::array<QString, game::kSeats + 1> names_;
    std::array<int, game::kSeats + 1> scores_{};
    std::array<QString, game::kSeats + 1> bonuses_;
    std::array<bool, game::kSeats + 1> watching_{};
    std::array<bool, game::kSeats + 1> kept_{};
    std::array<QDeadlineTimer, game::kSeats + 1> keptUntil_{};
    QStringList spies_;
};
