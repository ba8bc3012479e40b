#pragma once

#include "net/messages.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <optional>

// How the command line starts the game window.
struct StartPlan {
    enum Mode { Solo, Host, Join, Idle };
    Mode mode = Idle;
    QString playername;  // at most 20 characters
    QString hostaddress; // at most 20 characters
    bool openLobby = false;
    QString loadingLine; // the chat line written before anything connects
};

// Reads the arguments that follow the program name: none is a solo game,
// three or more are name, address and role ("true" hosts, anything else
// joins), one or two leave the window idle.
StartPlan planStart(const QStringList &args);

// The client's mirror of the game: who sits where, the scores, the settings,
// whose turn it is, the board, the rack and the end of a game. Only host
// messages change it, each through handle(); views paint from it and learn of
// changes through its signals. It needs no window, so a program without one
// (tests, a computer player) follows a game with it as a window does.
class GameMirror : public QObject {
    Q_OBJECT
public:
    static constexpr int kSeats = 4;   // player seats 1..4
    static constexpr int kMaxSlot = 9; // watchers take slots 5..9
    static constexpr int kBoard = 19;
    static constexpr int kEmpty = proto::kEmpty;
    static constexpr int kMaxDrawn = 98; // tiles that can be drawn from the bag
    static constexpr quint32 kSystemColour = 0x008000;
    static inline const QString kWaiting = QStringLiteral("<Waiting>");
    // Backgrounds of the squares (squareColor): the centre, the four seat
    // colours, and the Zorble square.
    static constexpr int kCentre = 0;
    static constexpr int kZorbleSquare = 5;

    using Grid = std::array<std::array<int, kBoard>, kBoard>; // [column][row]

    explicit GameMirror(QObject *parent = nullptr);

    static bool isSeat(int n) { return n >= 1 && n <= kSeats; }
    static bool isSlot(int n) { return n >= 1 && n <= kMaxSlot; }

    // ---- Connection state ----
    QString playerName() const { return playername_; }
    void setPlayerName(const QString &name) { playername_ = name; }
    QString hostAddress() const { return hostaddress_; }
    void setHostAddress(const QString &address) { hostaddress_ = address; }
    bool isHost() const { return ishost_; }
    void setHost(bool on) { ishost_ = on; }
    int localSeat() const { return localseat_; }
    bool loggedIn() const { return loggedin_; }
    // Remembers the name to log in with; an empty name forgets it.
    void setLogin(const QString &name);
    // Takes the seat the host gave and returns the login message, bytes and
    // both terminators included.
    QByteArray sendloginfo(int seat, const QString &version);

    // ---- Seats ----
    QString name(int seat) const { return isSeat(seat) ? names_[seat] : QString(); }
    int score(int seat) const { return isSeat(seat) ? scores_[seat] : 0; }
    // The seat's last change of score as shown: "+N" for a move, "-10" for
    // new tiles, empty otherwise.
    QString bonus(int seat) const { return isSeat(seat) ? bonuses_[seat] : QString(); }
    bool watching(int seat) const { return isSeat(seat) && watching_[seat]; }
    // How many of seats 1 to 4 a player holds.
    int seatedCount() const;
    // The watchers the host announced, one entry slot ": " name each
    // ("7: Alice"), in the order they came; the spy list shows them.
    const QStringList &spies() const { return spies_; }
    static QString spyEntry(int slot, const QString &name);

    // ---- The game ----
    int currentPlayer() const { return currentplayer_; }
    // A turn is the local player's when the seat to move is the own seat
    // (seats, not names, decide: two players may share a name).
    bool ownTurn() const;
    bool gameRunning() const { return running_; }
    int turnTime() const { return turntime_; }
    int squareCount() const { return squarecount_; }
    int gameTime() const { return gametime_; }
    int playToScore() const { return playtoscore_; }
    bool doubleTiles() const { return doubletiles_; }
    bool partners() const { return partners_; }
    int elapsed() const { return elapsed_; }
    int tilesLeft() const { return tilesleft_; }
    QList<int> winners() const { return winners_; }
    QString reason() const { return reason_; }
    // The seat colour of each board quarter (top left, bottom left, top
    // right, bottom right).
    std::array<int, 4> quarters() const { return quarters_; }
    // The letter on a square, kEmpty when none.
    int letterAt(int x, int y) const { return squareletter_[x][y]; }
    const Grid &board() const { return squareletter_; }
    // Whether the square's letter belongs to the newest word.
    bool newest(int x, int y) const { return newestword_[x][y] != 0; }
    // The letter in rack slot 1..10, kEmpty when none.
    int rackLetter(int slot) const { return slot >= 1 && slot <= 10 ? rack_[slot] : kEmpty; }
    // The background of a square: kCentre, a seat colour 1..4 or kZorbleSquare.
    int squareColor(int x, int y) const { return squarecolor_[x][y]; }
    // The squares drawn as Zorble squares, column by column.
    QList<std::array<int, 2>> zorbleSquares() const;
    // The rack tile laid on a square this turn, kEmpty when none.
    int placedTile(int x, int y) const { return placedtile_[x][y]; }
    // The square where rack tile 1..10 lies this turn, {kEmpty, kEmpty} while
    // it is on the rack.
    std::array<int, 2> tileSquare(int tile) const;
    // A rack tile's text: side ("n" front, "y" turned over), "+", and the
    // letter's index, or "*" before the tile was first dealt.
    QString tileText(int tile) const;
    // Whether rack tile 1..10 shows on the rack: dealt, and not laid or spent.
    bool tileOnRack(int tile) const;
    // One position of the rack, left to right: the tile standing there and
    // its sort key (the letter last dealt to it, 0 before any deal).
    struct RackPlace {
        int key = 0;
        int tile = 0;
    };
    // Rack positions 1..10 (entry 0 unused).
    const std::array<RackPlace, 11> &rackOrder() const { return rackorder_; }
    // The tile being dragged, 0 when none, and its text.
    int dragTile() const { return dragtile_; }
    QString dragText() const { return dragtext_; }
    void cancelDrag();

    // ---- Clocks ----
    // Seconds left in the turn as the client counts them, and the game clock.
    int turnClock() const { return turnclock_; }
    bool clockRunning() const { return Timer2.isActive(); }
    // One tick of the one-second clock: the game clock, the turn clock and
    // its ticking sounds. Timer2 calls it; tests call it directly.
    void Timer2Timer();

    // ---- Texts on show ----
    // The status labels, the settings on show and the winner panel, as the
    // window shows them.
    QString turnText() const { return turntext_; }
    QString timeOfGameText() const;
    QString timeOfTurnText() const { return timeofturn_; }
    QString tilesLeftText() const;
    QString turnTimeText() const { return turntimetext_; }
    QString gameTimeText() const { return gametimetext_; }
    QString playToScoreText() const { return playtoscoretext_; }
    QString doubleText() const { return doubletiles_ ? yes() : no(); }
    QString partnersText() const { return partners_ ? yes() : no(); }
    // The colour of the status labels: the colour of the seat whose turn it
    // is, as 0xRRGGBB.
    quint32 turnColour() const { return turncolour_; }
    static quint32 seatColour(int seat);
    bool winnerShown() const { return winnershown_; }
    QString winnerTitle() const { return winnertitle_; }
    QString winnerNames() const { return winnernames_; }

    // ---- A move being laid ----
    // Whether the local player may lay tiles now: the own turn, with more
    // than one second of it left.
    bool canLay() const { return ownTurn() && turnclock_ > 1; }
    // The letter rack tile 1..10 shows (the other side's when turned over),
    // kEmpty when it holds none.
    int tileLetter(int tile) const;
    // Whether rack tile `tile` shows its other side.
    bool tileFlipped(int tile) const { return tile >= 1 && tile <= 10 && flipped_[tile]; }
    // Lays rack tile `slot` on an empty square, showing its letter; false
    // when it cannot go there.
    bool layTile(int slot, int x, int y);
    // The tiles laid this turn, in rack-slot order, as a move names them.
    QList<game::LaidTile> laidTiles() const;
    // The Clear action: the tiles laid this turn go back to the rack, with
    // the "remove" sound once for each.
    void clearLaid();
    // Picks rack tile 1..10 up. Only a tile on the rack, and only while no
    // drag is under way.
    bool startDrag(int tile);
    // Lays the dragged tile on a free square with the "place" sound. The
    // drag ends either way: a drop on a letter leaves the tile on the rack.
    bool dropDragged(int x, int y);
    // The dragged tile and `tile` change places on the rack, key and all;
    // then the drag ends.
    void swapWithDragged(int tile);
    // Takes the tile laid this turn on a square back to the rack, with the
    // "remove" sound; false when none lies there.
    bool takeBack(int x, int y);
    // Takes back the tile laid last; the square it freed, {kEmpty, kEmpty}
    // when no tile was laid.
    std::array<int, 2> takeBackLast();
    // Turns a double-sided tile on the rack over: A and Z, B and Y, ... M
    // and N. Only in a game with double tiles.
    bool flippit(int tile);
    // Sorts the rack positions by key, ascending; equal keys keep their
    // order. Tiles on the board take part.
    void sortthem();
    // The keyboard's way of laying: the leftmost rack tile that shows
    // `letter` (with `otherSide`, in a double-tile game, one whose other
    // side shows it, turned over first) goes on the square with the "place"
    // sound. The tile laid, 0 when none could be.
    int layLetter(int letter, bool otherSide, int x, int y);
    // The request that submits the tiles laid this turn (CMD_done with each
    // tile's number, side, column and row, in tile-number order); nothing
    // when no tile lies on the board or the player is not logged in.
    std::optional<QString> doneRequest() const;

    // Resets scores, bonuses, watching marks and the board and rack tables;
    // names stay.
    void clearall();
    // Colours the four board quarters (top left, bottom left, top right,
    // bottom right) and draws the Zorble squares of the current game.
    void getboard(int c1, int c2, int c3, int c4);
    // Marks the Zorble squares of a game with `count` of them (4, 8, 12, 16
    // or 20; any other count marks none).
    void zorbles(int count);

    // ---- Host messages ----
    void handle(const proto::toclient::SendLoginInfo &m);
    void handle(const proto::toclient::Full &m);
    void handle(const proto::toclient::NewPlayerInfo &m);
    void handle(const proto::toclient::PlayerDisconnected &m);
    void handle(const proto::toclient::WrongVersion &m);
    void handle(const proto::toclient::HaveWrongVersion &m);
    void handle(const proto::toclient::ArrangeBoard &m);
    void handle(const proto::toclient::ShowBoard &m);
    void handle(const proto::toclient::Settings &m);
    void handle(const proto::toclient::NextPlayer &m);
    void handle(const proto::toclient::Started &m);
    void handle(const proto::toclient::Atile &m);
    void handle(const proto::toclient::TileCount &m);
    void handle(const proto::toclient::NoTiles &m);
    void handle(const proto::toclient::Passed &m);
    void handle(const proto::toclient::Already &m);
    void handle(const proto::toclient::NotEnough &m);
    void handle(const proto::toclient::Invalid &m);
    void handle(const proto::toclient::Exchanged &m);
    void handle(const proto::toclient::Reposition &m);
    void handle(const proto::toclient::Scored &m);
    void handle(const proto::toclient::NewWord &m);
    void handle(const proto::toclient::TimeUp &m);
    void handle(const proto::toclient::Watching &m);
    void handle(const proto::toclient::Chat &m);
    void handle(const proto::toclient::ChatterSound &m);
    void handle(const proto::toclient::GameOver &m);
    void handle(const proto::toclient::Winner &m);

    // Shorthands of the two seat announcements.
    void newplayerinfo(int seat, const QString &name) {
        handle(proto::toclient::NewPlayerInfo{{seat, name}});
    }
    void playerdisconnected(int seat, const QString &name) {
        handle(proto::toclient::PlayerDisconnected{{seat, name}});
    }

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
    // A seat bought new tiles; for the local seat the new rack is in and the
    // turn goes on.
    void tilesExchanged(int seat);
    // A watcher's entry was added to spies() or taken from it.
    void spiesChanged();

private:
    void systemLine(const QString &text);
    // "the name" of a seat as the lines use it.
    QString seatName(int seat) const { return name(seat); }
    // Takes the settings of a game start or of a newcomer's catch-up; both
    // carry the same fields.
    void applySettings(const game::GameOptions &o);
    void setScore(int seat, int total);
    void endOfTurn();
    // Takes the tiles laid this turn off the board; `spend` empties their
    // rack slots too. How many tiles were laid.
    int liftLaid(bool spend);

    QString playername_;
    QString hostaddress_;
    QByteArray logintail_; // playername and one 0xFF byte, sent as the login's last field
    bool ishost_ = false;
    int localseat_ = 0;
    bool loggedin_ = false;

    std::array<QString, kSeats + 1> names_;
    std::array<int, kSeats + 1> scores_{};
    std::array<QString, kSeats + 1> bonuses_;
    std::array<bool, kSeats + 1> watching_{};
    QStringList spies_;

    int currentplayer_ = 0;
    bool running_ = false;
    int turntime_ = 0;
    int squarecount_ = 0;
    int gametime_ = 0;
    int playtoscore_ = 0;
    bool doubletiles_ = false;
    bool partners_ = false;
    int elapsed_ = 0;
    int tilesleft_ = 100;
    QList<int> winners_;
    QString reason_ = QStringLiteral("Game Over!");
    int turnclock_ = 0;
    QTimer Timer2; // the one-second clock
    QString turntext_ = QStringLiteral("You");
    QString timeofturn_ = QStringLiteral("Time Left: 0:00");
    QString turntimetext_ = QStringLiteral("60");
    QString gametimetext_ = QStringLiteral("0:00");
    QString playtoscoretext_ = QStringLiteral("0");
    quint32 turncolour_ = 0xFF0000;
    bool winnershown_ = false;
    QString winnertitle_;
    QString winnernames_;
    static QString yes() { return QStringLiteral("Yes"); }
    static QString no() { return QStringLiteral("No"); }

    std::array<int, 4> quarters_{1, 2, 3, 4};
    Grid squarecolor_{};
    Grid squareletter_{};
    Grid newestword_{};
    Grid placedtile_{};          // rack slot laid on a square this turn, or kEmpty
    std::array<int, 11> rack_{}; // rack slots 1..10: letter or kEmpty
    std::array<std::array<int, 2>, 11> tilesquare_{}; // square of each laid rack tile
    std::array<bool, 11> flipped_{};                  // rack tile turned over
    std::array<QString, 11> tiletext_;                // "n+" letter, "n+*" before a deal
    std::array<RackPlace, 11> rackorder_{};
    std::array<int, 11> laidorder_{}; // when each laid tile was laid, 0 while on the rack
    int laidcount_ = 0;
    int dragtile_ = 0;
    QString dragtext_;
};
