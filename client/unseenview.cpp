#include "client/unseenview.h"

#include "clientcore/gamemirror.h"
#include "game/bag.h"

#include <QFontDatabase>
#include <QLabel>
#include <QVBoxLayout>

UnseenView::UnseenView(const GameMirror &mirror, QWidget *parent)
    : QWidget(parent, Qt::Tool), mirror_(mirror) {
    setObjectName(QStringLiteral("unseen"));
    setWindowTitle(QStringLiteral("Unseen Tiles"));
    counts_ = new QLabel(this);
    counts_->setObjectName(QStringLiteral("unseencounts"));
    counts_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    counts_->setTextFormat(Qt::PlainText);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(counts_);
    connect(&mirror_, &GameMirror::boardChanged, this, &UnseenView::refresh);
    connect(&mirror_, &GameMirror::rackChanged, this, &UnseenView::refresh);
    connect(&mirror_, &GameMirror::settingsChanged, this, &UnseenView::refresh);
    refresh();
}

void UnseenView::refresh() {
    counts_->setText(
        describe(game::unseenTiles(mirror_.position()), mirror_.position().doubleTiles));
}

QString UnseenView::describe(const std::array<int, 26> &counts, bool doubleTiles) {
    QStringList cells;
    int total = 0;
    for (int l = 0; l < 26; ++l) {
        total += counts[size_t(l)];
        QString letter(QChar(u'A' + l));
        if (doubleTiles)
            letter += QLatin1Char('/') + QChar(u'Z' - l);
        cells << QStringLiteral("%1 %2").arg(letter).arg(counts[size_t(l)], 2);
    }
    QString text;
    const int perRow = doubleTiles ? 4 : 6;
    for (int i = 0; i < cells.size(); ++i)
        text += cells[i] + ((i + 1) % perRow == 0 || i + 1 == cells.size() ? QStringLiteral("\n")
                                                                           : QStringLiteral("   "));
    return text + QStringLiteral("\nTotal %1").arg(total);
}
