#pragma once

#include "clientcore/mirrortexts.h"
#include "clientcore/movecomposer.h"
#include "clientcore/scoresheet.h"
#include "clientcore/seatlist.h"
#include "clientcore/seenrecord.h"
#include "game/options.h"
#include "game/position.h"
#include "net/messages.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>

class MirrorUpdate;

// The client's mirror of the game: who sits where, the scores, the options,
// whose turn it is, the position (board, square kinds, own rack), the clocks
// and the end of a game. Only host messages change it, each through
// handle(); views paint from it and learn of changes through its signals.
// It needs no window, so a program without one (tests, a computer player)
// follows a game with it as a window does. The move being laid is its
// composer's; the texts on show are its texts'.
class GameMirror : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 kSystemColour = 0x008000;

    explicit GameMirror(QObject *parent = nullptr);
    ~GameMirror() override;

    // Takes one message from the host.
    void handle(const proto::HostMessage &message);

    const SeatList &seats() const { return seats_; }
    const MirrorTexts &texts() const { return texts_; }
    // The turns of the game seen so far, one row each.
    const ScoreSheet &scoreSheet() const { return sheet_; }
    // The window's own record of a game it joined, written into `folder`
    // (none: nothing is written, as for the hosting window, whose host
    // records the game itself).
    void setRecordFolder(const QString &folder) { seen_.setFolder(folder); }
    QString recordPath() const { return seen_.path(); }
    MoveComposer &composer() { return composer_; }
    const MoveComposer &composer() const { return composer_; }

    // ---- The local player ----
    QString playerName() const { return playername_; }
    void setPlayerName(const QString &name) { playername_ = name; }
    bool isHost() const { return ishost_; }
    void setHost(bool on) { ishost_ = on; }
    int localSeat() const { return localseat_; }
    bool loggedIn() const { return loggedin_; }
    // The host's latest rejoin token for the local seat; empty when none.
    const proto::toclient::RejoinToken &rejoinToken() const { return rejointoken_; }
    // The host said it closes the connection on purpose (a removal, the
    // host's end): the window does not try again. A new connection clears it.
    bool closedByHost() const { return closedByHost_; }

    // ---- The game ----
    // The position of the local seat: the board as the host has it (without
    // the tiles laid this turn), the square kinds and the own rack (with
    // those tiles still on it).
    const game::Position &position() const { return position_; }
    const game::GameOptions &options() const { return options_; }
    int currentPlayer() const { return currentplayer_; }
    // A turn is the local player's when the seat to move is the own seat
    // (seats, not names, decide: two players may share a name).
    bool ownTurn() const;
    // Whether the local player may lay tiles now: the own turn, with more
    // than one second of it left.
    bool canLay() const { return ownTurn() && turnclock_ > 1; }
    bool gameRunning() const { return running_; }
    int elapsed() const { return elapsed_; }
    int tilesLeft() const { return tilesleft_; }
    QList<int> winners() const { return winners_; }
    QString reason() const { return reason_; }
    // The seat colour of each board quarter (top left, bottom left, top
    // right, bottom right).
    std::array<int, 4> quarters() const { return quarters_; }
    // The letter the host put on a square, game::kEmpty when none.
    int letterAt(int x, int y) const;
    const game::Grid &board() const { return position_.board; }
    // Whether the square's letter belongs to the newest word.
    bool newest(int x, int y) const;
    // The letter in rack slot 1..10, game::kEmpty when none.
    int rackLetter(int slot) const;
    // The background of a square: the centre, a seat colour 1..4 or a
    // Zorble square.
    int squareColor(int x, int y) const;
    // The squares drawn as Zorble squares, column by column.
    QList<std::array<int, 2>> zorbleSquares() const;

    // ---- Clocks ----
    // Seconds left in the turn as the client counts them.
    int turnClock() const { return turnclock_; }
    bool clockRunning() const { return Timer2.isActive(); }
    // One tick of the one-second clock: the game clock, the turn clock and
    // its ticking sounds. Timer2 calls it; tests call it directly.
    void Timer2Timer();

signals:
    // A chat line: seat 0 for the program's own notices, else the seat that
    // spoke. The text never carries markup.
    void chatLine(int seat, const QString &text, quint32 colour);
    void seatChanged(int seat);
    void soundRequested(const QString &name);
    // A player chose a chatter sound ("wave" N).
    void chatterSoundRequested(int seat, const QString &sound);
    void ownSeatAnnounced(int seat);
    void ownSeatLost();
    // The host had no slot left.
    void gameFull();
    void settingsChanged();
    void boardChanged();
    void rackChanged();
    void tilesLeftChanged(int tiles);
    void gameStarted();
    // A turn began; `own` when it is the local player's.
    void turnChanged(int seat, bool own);
    // The move buttons show during the local player's turn only.
    void moveButtonsShown(bool shown);
    void reasonChanged(const QString &reason);
    void gameOver(const QList<int> &winners);
    // The local player's turn began: the window plays its chosen turn sound.
    void turnSoundRequested();
    // The clocks or any status text changed.
    void statusChanged();
    // The drag was cancelled or began.
    void dragChanged();
    // The players that the tally can record against may have changed (own
    // arrival, a departure, a game start).
    void tallyPlayersChanged();
    // A game with exactly one winner ended: "addtomine" when it is the local
    // seat, else the winner's name.
    void tallyGame(const QString &winner);
    // The Zorble outcome of a move (1 plus 20, 2 minus 20, 3 double).
    void zorbleOutcome(int outcome);
    // The host refused the move sent; the laid tiles are back on the rack
    // and the turn goes on.
    void moveRefused();
    // The host gave a token that gives the local seat back after a drop.
    void rejoinTokenReceived(const QString &gameId, const QString &token);
    // A seat bought new tiles; for the local seat the new rack is in and the
    // turn goes on.
    void tilesExchanged(int seat);
    // A watcher's entry was added to the seats' spies or taken from it.
    void spiesChanged();
    // A row was added to the score sheet or completed, or the sheet cleared.
    void scoreSheetChanged();

private:
    friend class MirrorUpdate;

    QString playername_;
    bool ishost_ = false;
    int localseat_ = 0;
    bool loggedin_ = false;
    proto::toclient::RejoinToken rejointoken_;
    bool closedByHost_ = false;

    SeatList seats_;
    MirrorTexts texts_;
    ScoreSheet sheet_;
    SeenRecord seen_;
    game::Position position_;
    game::GameOptions options_;
    int currentplayer_ = 0;
    bool running_ = false;
    int elapsed_ = 0;
    int tilesleft_ = 100;
    QList<int> winners_;
    QString reason_ = QStringLiteral("Game Over!");
    int turnclock_ = 0;
    QTimer Timer2; // the one-second clock
    std::array<int, 4> quarters_{1, 2, 3, 4};
    game::Grid newestword_{};
    MoveComposer composer_{*this};
};
