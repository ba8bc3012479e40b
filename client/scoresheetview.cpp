#include "client/scoresheetview.h"

#include "clientcore/gamemirror.h"
#include "game/events.h"

#include <QHeaderView>
#include <QScrollBar>

ScoreSheetView::ScoreSheetView(const GameMirror &mirror, QWidget *parent)
    : QTableWidget(0, Columns, parent), mirror_(mirror) {
    setObjectName(QStringLiteral("table_moves"));
    setAccessibleName(QStringLiteral("Moves"));
    setHorizontalHeaderLabels({QStringLiteral("#"), QStringLiteral("Player"),
                               QStringLiteral("Word"), QStringLiteral("Where"),
                               QStringLiteral("Pts"), QStringLiteral("Z"),
                               QStringLiteral("Total")});
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::NoFocus);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(17);
    horizontalHeader()->setStretchLastSection(true);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    horizontalHeader()->setFont(small);
    const int widths[] = {22, 46, 62, 70, 28, 26};
    for (int c = 0; c < Total; ++c)
        setColumnWidth(c, widths[c]);
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int) {
        const QList<ScoreRow> &rows = mirror_.scoreSheet().rows();
        if (row >= 0 && row < rows.size())
            emit wordChosen(rows[row].squares);
    });
    refresh();
}

QStringList ScoreSheetView::cells(const ScoreRow &row) {
    QString word = row.word;
    switch (row.kind) {
    case ScoreRow::Kind::Move:
        break;
    case ScoreRow::Kind::Exchange:
        word = QStringLiteral("(new tiles)");
        break;
    case ScoreRow::Kind::Pass:
        word = QStringLiteral("(pass)");
        break;
    case ScoreRow::Kind::TimeUp:
        word = QStringLiteral("(time up)");
        break;
    }
    return {QString::number(row.turn),
            row.player,
            word,
            row.where,
            QString::number(row.points),
            game::outcomeText(row.bonus),
            QString::number(row.totals[size_t(row.seat)])};
}

void ScoreSheetView::refresh() {
    const QList<ScoreRow> &rows = mirror_.scoreSheet().rows();
    const bool atEnd =
        rowCount() == 0 || verticalScrollBar()->value() == verticalScrollBar()->maximum();
    setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList texts = cells(rows[r]);
        QStringList totals;
        for (int n = 1; n <= game::kSeats; ++n)
            if (!mirror_.seats().name(n).isEmpty() && mirror_.seats().name(n) != SeatList::kWaiting)
                totals << QStringLiteral("%1 %2")
                              .arg(mirror_.seats().name(n))
                              .arg(rows[r].totals[size_t(n)]);
        for (int c = 0; c < Columns; ++c) {
            QTableWidgetItem *cell = item(r, c);
            if (!cell) {
                cell = new QTableWidgetItem;
                setItem(r, c, cell);
            }
            cell->setText(texts[c]);
            cell->setToolTip(totals.join(QLatin1Char('\n')));
        }
    }
    // The newest turn stays in sight unless the player scrolled back.
    if (atEnd)
        scrollToBottom();
}
