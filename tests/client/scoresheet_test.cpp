// The Moves tab: the score sheet of a recorded game, fed the messages one
// seat received, holds one row per turn of the host's own record of it, with
// the record's words, points and totals; clicking a row frames its word.
#include "client/boardview.h"
#include "client/pictures.h"
#include "client/scoresheetview.h"
#include "client/tchat.h"
#include "tests/client/recordedgame.h"

#include <gtest/gtest.h>

#include <QTabBar>
#include <QTest>

namespace {

record::Kind kindOf(ScoreRow::Kind kind) {
    switch (kind) {
    case ScoreRow::Kind::Move:
        return record::Kind::Move;
    case ScoreRow::Kind::Exchange:
        return record::Kind::Exchange;
    case ScoreRow::Kind::Pass:
        return record::Kind::Pass;
    case ScoreRow::Kind::TimeUp:
        break;
    }
    return record::Kind::TimeUp;
}

TEST(ScoreSheet, RowsAndTotalsFollowTheHostsRecordAndAClickFramesTheWord) {
    for (const auto &[name, seed] : {std::pair{"plain", 5u}, {"partners", 8u}}) {
        SCOPED_TRACE(name);
        const RecordedGame recorded(name, seed);
        ASSERT_GT(recorded.game.turns(), 5);
        Tchat w;
        // The host names the players to a newcomer; the probe's table does not.
        for (int seat = 1; seat <= game::kSeats; ++seat)
            w.mirror().handle(
                proto::toclient::NewPlayerInfo{{seat, recorded.game.header.names[size_t(seat)]}});
        recorded.tell(w.mirror(), 2);
        const QList<ScoreRow> &rows = w.mirror().scoreSheet().rows();
        ASSERT_EQ(rows.size(), recorded.game.turns());

        int turn = 0;
        for (const record::Entry &e : recorded.game.entries) {
            if (!e.isTurn())
                continue;
            const ScoreRow &row = rows[turn++];
            SCOPED_TRACE(turn);
            EXPECT_EQ(row.turn, turn);
            EXPECT_EQ(kindOf(row.kind), e.kind);
            EXPECT_EQ(row.seat, e.seat);
            EXPECT_EQ(row.player, recorded.game.header.names[size_t(e.seat)]);
            const record::Snapshot after = record::replay(recorded.game, turn);
            for (int seat = 1; seat <= game::kSeats; ++seat)
                EXPECT_EQ(row.totals[size_t(seat)], after.totals[size_t(seat)]) << seat;
            if (e.kind != record::Kind::Move)
                continue;
            EXPECT_EQ(row.points, e.points);
            EXPECT_EQ(row.bonus, e.bonus);
            // The row's squares spell its word and hold every tile laid.
            QString spelt;
            for (const QPoint &sq : row.squares)
                spelt += QChar(u'A' + after.board[size_t(sq.x())][size_t(sq.y())]);
            EXPECT_EQ(spelt, row.word);
            if (e.word != QStringLiteral("-")) {
                EXPECT_EQ(row.word, e.word);
            }
            for (const game::BoardLetter &t : e.tiles)
                EXPECT_TRUE(row.squares.contains(QPoint(t.x, t.y))) << t.x << "," << t.y;
            EXPECT_EQ(row.where.section(u' ', 0, 0),
                      game::squareName(row.squares.first().x(), row.squares.first().y()));
        }

        // The Moves tab shows the rows; a click on a move frames its word.
        w.show();
        ScoreSheetView *sheet = w.scoreSheet();
        EXPECT_FALSE(sheet->isVisible());
        w.chatTabs()->setCurrentIndex(1);
        ASSERT_TRUE(sheet->isVisible());
        ASSERT_EQ(sheet->rowCount(), rows.size());
        EXPECT_EQ(sheet->item(int(rows.size()) - 1, ScoreSheetView::Total)->text(),
                  QString::number(rows.last().totals[size_t(rows.last().seat)]));
        const int move =
            int(std::find_if(rows.begin(), rows.end(),
                             [](const ScoreRow &r) {
                                 return r.kind == ScoreRow::Kind::Move && r.squares.size() > 2;
                             }) -
                rows.begin());
        ASSERT_LT(move, rows.size());
        sheet->scrollToItem(sheet->item(move, 0));
        QTest::mouseClick(sheet->viewport(), Qt::LeftButton, {},
                          sheet->visualItemRect(sheet->item(move, ScoreSheetView::Word)).center());
        auto *board = w.findChild<BoardView *>(QStringLiteral("board"));
        EXPECT_EQ(board->framed(), rows[move].squares);
        // The frame runs round the word: its first square's outer corner
        // takes the frame's colour, a square inside the word does not.
        const QImage image = board->grab().toImage();
        const QPoint first = rows[move].squares.first() * TilePictures::kSquare;
        EXPECT_EQ(image.pixelColor(first + QPoint(2, 2)), QColor(255, 200, 0));
        const QPoint middle = rows[move].squares[1] * TilePictures::kSquare;
        EXPECT_NE(image.pixelColor(middle + QPoint(14, 14)), QColor(255, 200, 0));
    }
}

} // namespace
