#pragma once

// The game window's computer players and hints:
//  - File > Add Computer Player > Easy, Normal, Hard: the hosting player
//    seats a computer player between games while a seat is free;
//  - Options > Show Hint: during the own turn, the best move's word, place
//    and points as a line in the own chat view, three times a game.
// The window's seat menu removes a computer player like anybody else.

#include "ai/choice.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class GameMirror;
class QAction;
class QMenu;
namespace ai {
class ComputerPlayers;
}

class ComputerMenu : public QObject {
    Q_OBJECT
public:
    static constexpr int kHintsPerGame = 3;

    // `systemLine` shows a line in the window's own chat view.
    ComputerMenu(const GameMirror &mirror, std::function<void(const QString &)> systemLine,
                 QObject *parent);

    // Adds "Add Computer Player" to the File menu, and "Show Hint" to the
    // Options menu.
    void addToFileMenu(QMenu *fileMenu);
    void addToOptionsMenu(QMenu *optionsMenu);
    // Where the window's host listens.
    void setHost(const QString &address, quint16 port);
    // The wait before each computer move, in milliseconds (scripts use 0);
    // by default a humane pause of 1 to 3 s.
    void setPause(int pauseMs);

    // Whether a computer player can be added now: the window hosts, no game
    // runs, and a seat is free.
    bool canAdd() const;
    // Adds a computer player when one can be added; its name, or an empty
    // text with the reason shown in the chat view.
    QString add(ai::Level level);
    // Puts a computer player into a seat kept for a player who did not come
    // back, with the seat's token.
    void replace(const QString &token);
    // Adds one and calls `then` once it sits (or could not join).
    void addThen(ai::Level level, std::function<void()> then);
    // Looks for a hint and shows it once found (off the window's thread), or
    // shows why there is none.
    void showHint();
    int hintsLeft() const { return hintsLeft_; }

    ai::ComputerPlayers &players() { return *players_; }
    QMenu *addMenu() const { return addMenu_; }
    QAction *hintAction() const { return ShowHint1; }

private:
    void updateActions();
    void hintFound(const std::optional<QString> &hint);

    const GameMirror &mirror_;
    std::function<void(const QString &)> systemLine_;
    ai::ComputerPlayers *players_;
    QMenu *addMenu_ = nullptr;
    QAction *ShowHint1 = nullptr;
    int hintsLeft_ = kHintsPerGame;
    int turns_ = 0;      // turns begun, and new racks within a turn
    int hintTurn_ = -1;  // the value of turns_ when hint_ was found
    int askedTurn_ = -1; // the value of turns_ while a hint is being looked for
    QString hint_;       // the last hint's line
};
