// File > Game History: the records of the games folder, newest first; the
// chosen game stepped to any turn shows the board the host had after that
// turn (as zorble --replay --to N prints it); the game exports as text; a
// damaged record is refused with its line.
#include "client/pictures.h"
#include "client/recordview.h"
#include "tests/client/recordedgame.h"
#include "windows/gamehistory.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

void write(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(GameHistory, StepsToAnyTurnWithTheHostsBoardAndExportsTheGame) {
    const RecordedGame recorded("plain", 5);
    const int turns = recorded.game.turns();
    ASSERT_EQ(int(recorded.boards.size()), turns + 1);
    QTemporaryDir dir;
    write(dir.filePath("2026-12-08_214717_Bot_1_Bot_2.zrec"), recorded.text);
    // An older record with a damaged line.
    write(dir.filePath("2026-12-01_080000_Ann.zrec"),
          recorded.text.left(recorded.text.indexOf("\nmove ") + 1) + "move 9 ?\n");

    GameHistory history;
    const ClassicPictures pics;
    auto *view = new RecordView(&pics);
    history.setBoardView(view, [view](const game::Grid &board, const game::Grid &squares,
                                      const QList<QPoint> &framed, const QString &rack) {
        view->showTurn(board, squares, framed, rack);
    });
    history.setFolder(dir.path());
    ASSERT_EQ(history.list()->count(), 2);
    EXPECT_EQ(history.list()->item(0)->text(), "2026-12-08_214717_Bot_1_Bot_2.zrec");

    history.list()->setCurrentRow(0);
    ASSERT_TRUE(history.hasGame());
    EXPECT_EQ(history.turn(), turns);
    EXPECT_EQ(history.sheet()->rowCount(), turns);

    // Each way of stepping, and where it leaves the game.
    struct Step {
        const char *how;
        int value; // the slider's, or a sheet row
        int turn;
    };
    for (const Step &s :
         {Step{"button_first", 0, 0}, Step{"button_forward", 0, 1}, Step{"button_forward", 0, 2},
          Step{"button_back", 0, 1}, Step{"slider", 17, 17}, Step{"sheet", 19, 20},
          Step{"button_last", 0, turns}, Step{"button_forward", 0, turns}}) {
        if (s.how == std::string("slider"))
            history.slider()->setValue(s.value);
        else if (s.how == std::string("sheet"))
            emit history.sheet()->cellClicked(s.value, 0);
        else
            history.button(s.how)->click();
        EXPECT_EQ(history.turn(), s.turn) << s.how;
        EXPECT_EQ(history.slider()->value(), s.turn) << s.how;
        EXPECT_TRUE(view->board() == recorded.boards[size_t(s.turn)]) << s.how << " " << s.turn;
    }

    const QString saved = dir.filePath("game.txt");
    ASSERT_TRUE(history.saveText(saved));
    QFile text(saved);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(text.readAll()).split(u'\n');
    QStringList totals;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        totals << QStringLiteral("Bot %1 %2")
                      .arg(seat)
                      .arg(recorded.probe.st.seats[size_t(seat)].score);
    EXPECT_TRUE(lines.contains("Final totals: " + totals.join(", ")))
        << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^\\d+ Bot \\d "))).size(), turns);

    history.list()->setCurrentRow(1);
    EXPECT_FALSE(history.hasGame());
    EXPECT_TRUE(history.findChild<QLabel *>("label_turn")->text().startsWith("Line "))
        << history.findChild<QLabel *>("label_turn")->text().toStdString();
}

} // namespace
