#pragma once

// The texts a client shows of the game: the status labels (whose turn it is,
// the clocks, the tiles left, the settings, the winner panel) and the lines
// it writes into the chat when something happens.

#include "game/options.h"

#include <QString>
#include <QtGlobal>

class MirrorTexts {
public:
    // ---- Status labels ----
    QString turnText() const { return turn_; }
    QString timeOfGameText() const;
    QString timeOfTurnText() const { return timeOfTurn_; }
    QString tilesLeftText() const;
    QString turnTimeText() const { return turnTime_; }
    QString gameTimeText() const { return gameTime_; }
    QString playToScoreText() const { return playToScore_; }
    QString doubleText() const { return yesNo(options_.doubletiles); }
    QString partnersText() const { return yesNo(options_.partners); }
    // The colour of the status labels: the colour of the seat whose turn it
    // is, as 0xRRGGBB.
    quint32 turnColour() const { return turnColour_; }
    static quint32 seatColour(int seat);
    bool winnerShown() const { return winnerShown_; }
    QString winnerTitle() const { return winnerTitle_; }
    QString winnerNames() const { return winnerNames_; }

    void showOptions(const game::GameOptions &options);
    void showTurn(int seat, bool own, const QString &name);
    // The game is over: nobody is to move.
    void showNoTurn() { turn_ = QStringLiteral("Game Over."); }
    void showElapsed(int seconds) { elapsed_ = seconds; }
    void showTurnClock(int secondsLeft);
    void showTilesLeft(int tiles) { tilesLeft_ = tiles; }
    void showWinners(int count, const QString &names);
    void hideWinners() { winnerShown_ = false; }

    // ---- Chat lines ----
    // `own` lines speak of the local player ("You ..."), the others of `name`.
    static QString connected(const QString &name, bool own);
    static QString spying(const QString &name, bool own);
    static QString started(const QString &name, bool own);
    static QString passed(const QString &name, bool own);
    static QString timeUp(const QString &name, bool own);
    static QString boughtTiles(const QString &name, bool own);
    static QString outOfTiles(const QString &name, bool own);
    static QString watching(const QString &name, bool sitsOut);
    // A seat kept for a player whose connection ended, and the end of that.
    static QString seatKept(const QString &name, int seconds);
    static QString graceOver(const QString &name);
    // Minutes and seconds: "3:00".
    static QString clock(int seconds);
    static QString scored(const QString &name, const QString &word, const QString &points);

private:
    static QString yesNo(bool on) { return on ? QStringLiteral("Yes") : QStringLiteral("No"); }

    game::GameOptions options_;
    QString turn_ = QStringLiteral("You");
    QString timeOfTurn_ = QStringLiteral("Time Left: 0:00");
    QString turnTime_ = QStringLiteral("60");
    QString gameTime_ = QStringLiteral("0:00");
    QString playToScore_ = QStringLiteral("0");
    int elapsed_ = 0;
    int tilesLeft_ = 100;
    quint32 turnColour_ = 0xFF0000;
    bool winnerShown_ = false;
    QString winnerTitle_;
    QString winnerNames_;
};
