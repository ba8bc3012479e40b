#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

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

// The client's mirror of the game: who sits where, the scores on show and
// the connection state. Only host messages change it; views listen to its
// signals. It needs no window, so tests can drive it directly.
class GameMirror : public QObject {
    Q_OBJECT
public:
    static constexpr int kSeats = 4;   // player seats 1..4
    static constexpr int kMaxSlot = 9; // watchers take slots 5..9
    static constexpr quint32 kSystemColour = 0x008000;
    static inline const QString kWaiting = QStringLiteral("<Waiting>");

    explicit GameMirror(QObject *parent = nullptr);

    // Connection state.
    QString playername;
    QString hostaddress;
    QByteArray logintail; // playername and one 0xFF byte, sent as the login's last field
    bool ishost = false;
    int localseat = 0;
    bool loggedin = false;
    int currentplayer = 0;

    static bool isSeat(int n) { return n >= 1 && n <= kSeats; }
    static bool isSlot(int n) { return n >= 1 && n <= kMaxSlot; }

    QString name(int seat) const { return isSeat(seat) ? names_[seat] : QString(); }
    QString score(int seat) const { return isSeat(seat) ? scores_[seat] : QString(); }
    QString bonus(int seat) const { return isSeat(seat) ? bonuses_[seat] : QString(); }
    bool watching(int seat) const { return isSeat(seat) && watching_[seat]; }

    // Resets scores, bonuses and watching marks; names stay.
    void clearall();
    // Remembers the name to log in with.
    void setLogin(const QString &name);
    // Takes the seat the host gave and returns the login message, bytes and
    // both terminators included.
    QByteArray sendloginfo(int seat, const QString &version);
    // A seat is announced (a newcomer, or one already present at our arrival).
    void newplayerinfo(int seat, const QString &name);
    // A connection closed. For our own seat the window is asked to close.
    void playerdisconnected(int seat, const QString &name);

signals:
    void chatLine(const QString &line, quint32 colour);
    void seatChanged(int seat);
    void soundRequested(const QString &name);
    void ownSeatAnnounced(int seat);
    void ownSeatLost();

private:
    void systemLine(const QString &text);

    std::array<QString, kSeats + 1> names_;
    std::array<QString, kSeats + 1> scores_;
    std::array<QString, kSeats + 1> bonuses_;
    std::array<bool, kSeats + 1> watching_{};
};
