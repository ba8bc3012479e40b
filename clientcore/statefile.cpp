#include "clientcore/statefile.h"

#include "clientcore/gamemirror.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cstdio>

namespace {

QJsonArray square(int x, int y) {
    return QJsonArray{x, y};
}

// A rack tile as "side+letter" with the letter spelled a..z.
QJsonValue rackEntry(const GameMirror &m, int tile) {
    if (!m.tileOnRack(tile))
        return QJsonValue::Null;
    const QString side = m.tileText(tile).left(1);
    return side + QLatin1Char('+') + QChar(u'a' + m.tileLetter(tile));
}

} // namespace

QJsonObject mirrorState(const GameMirror &m) {
    QJsonArray seats;
    for (int seat = 1; seat <= GameMirror::kSeats; ++seat)
        seats.append(QJsonObject{{QStringLiteral("name"), m.name(seat)},
                                 {QStringLiteral("score"), QString::number(m.score(seat))},
                                 {QStringLiteral("bonus"), m.bonus(seat)},
                                 {QStringLiteral("watching"), m.watching(seat)}});
    const QJsonObject labels{
        {QStringLiteral("label_turn"), m.turnText()},
        {QStringLiteral("label_tilesleft"), m.tilesLeftText()},
        {QStringLiteral("label_turntime"), m.turnTimeText()},
        {QStringLiteral("label_gametime"), m.gameTimeText()},
        {QStringLiteral("label_playtoscore"), m.playToScoreText()},
        {QStringLiteral("label_double"), m.doubleText()},
        {QStringLiteral("label_partners"), m.partnersText()},
        {QStringLiteral("label_reason"), m.reason()},
        {QStringLiteral("label_timeofgame"), m.timeOfGameText()},
        {QStringLiteral("label_timeofturn"), m.timeOfTurnText()},
    };
    QJsonArray board;
    QJsonArray newest;
    for (int y = 0; y < GameMirror::kBoard; ++y) {
        QString row;
        for (int x = 0; x < GameMirror::kBoard; ++x) {
            const int letter = m.letterAt(x, y);
            row += letter >= 0 && letter <= 25 ? QChar(u'a' + letter) : QChar(u'.');
        }
        board.append(row);
    }
    for (int x = 0; x < GameMirror::kBoard; ++x)
        for (int y = 0; y < GameMirror::kBoard; ++y)
            if (m.newest(x, y))
                newest.append(square(x, y));
    QJsonArray zorbles;
    for (const auto &[x, y] : m.zorbleSquares())
        zorbles.append(square(x, y));
    QJsonArray quarters;
    for (int q : m.quarters())
        quarters.append(q);
    QJsonArray rack;
    for (int tile = 1; tile <= 10; ++tile)
        rack.append(rackEntry(m, tile));
    return QJsonObject{
        {QStringLiteral("localseat"), m.localSeat()},
        {QStringLiteral("loggedin"), m.loggedIn()},
        {QStringLiteral("ishost"), m.isHost()},
        {QStringLiteral("currentplayer"), m.currentPlayer()},
        {QStringLiteral("ownturn"), m.ownTurn()},
        {QStringLiteral("seats"), seats},
        {QStringLiteral("labels"), labels},
        {QStringLiteral("board"), board},
        {QStringLiteral("newest"), newest},
        {QStringLiteral("zorbles"), zorbles},
        {QStringLiteral("quarters"), quarters},
        {QStringLiteral("rack"), rack},
        {QStringLiteral("spies"), QJsonArray::fromStringList(m.spies())},
        {QStringLiteral("winner"), QJsonObject{{QStringLiteral("visible"), m.winnerShown()},
                                               {QStringLiteral("title"), m.winnerTitle()},
                                               {QStringLiteral("names"), m.winnerNames()}}},
    };
}

bool writeState(const QString &path, const QJsonObject &state) {
    QSaveFile file(path);
    // A short write shows in flush(): commit() alone would put a cut-off
    // file in place.
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(state).toJson()) < 0 ||
        !file.flush() || !file.commit()) {
        std::fprintf(stderr, "zorble: cannot write the state file %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}
