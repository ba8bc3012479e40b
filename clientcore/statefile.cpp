#include "clientcore/statefile.h"

#include "clientcore/gamemirror.h"
#include "game/bag.h"

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
    const MoveComposer &c = m.composer();
    if (!c.tileOnRack(tile))
        return QJsonValue::Null;
    const QString side = c.tileText(tile).left(1);
    return side + QLatin1Char('+') + QChar(u'a' + c.tileLetter(tile));
}

} // namespace

QJsonObject unseenState(const std::array<int, 26> &counts) {
    QJsonObject unseen;
    int total = 0;
    for (int l = 0; l < 26; ++l) {
        unseen.insert(QString(QChar(u'a' + l)), counts[size_t(l)]);
        total += counts[size_t(l)];
    }
    unseen.insert(QStringLiteral("total"), total);
    return unseen;
}

QJsonObject mirrorState(const GameMirror &m) {
    QJsonArray seats;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        seats.append(QJsonObject{{QStringLiteral("name"), m.seats().name(seat)},
                                 {QStringLiteral("score"), QString::number(m.seats().score(seat))},
                                 {QStringLiteral("bonus"), m.seats().bonus(seat)},
                                 {QStringLiteral("watching"), m.seats().watching(seat)}});
    const QJsonObject labels{
        {QStringLiteral("label_turn"), m.texts().turnText()},
        {QStringLiteral("label_tilesleft"), m.texts().tilesLeftText()},
        {QStringLiteral("label_turntime"), m.texts().turnTimeText()},
        {QStringLiteral("label_gametime"), m.texts().gameTimeText()},
        {QStringLiteral("label_playtoscore"), m.texts().playToScoreText()},
        {QStringLiteral("label_double"), m.texts().doubleText()},
        {QStringLiteral("label_partners"), m.texts().partnersText()},
        {QStringLiteral("label_reason"), m.reason()},
        {QStringLiteral("label_timeofgame"), m.texts().timeOfGameText()},
        {QStringLiteral("label_timeofturn"), m.texts().timeOfTurnText()},
    };
    QJsonArray board;
    QJsonArray newest;
    for (int y = 0; y < game::kBoard; ++y) {
        QString row;
        for (int x = 0; x < game::kBoard; ++x) {
            const int letter = m.composer().shownLetter(x, y);
            row += letter >= 0 && letter <= 25 ? QChar(u'a' + letter) : QChar(u'.');
        }
        board.append(row);
    }
    for (int x = 0; x < game::kBoard; ++x)
        for (int y = 0; y < game::kBoard; ++y)
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
        {QStringLiteral("unseen"), unseenState(game::unseenTiles(m.position()))},
        {QStringLiteral("spies"), QJsonArray::fromStringList(m.seats().spies())},
        {QStringLiteral("winner"), QJsonObject{{QStringLiteral("visible"), m.texts().winnerShown()},
                                               {QStringLiteral("title"), m.texts().winnerTitle()},
                                               {QStringLiteral("names"), m.texts().winnerNames()}}},
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
