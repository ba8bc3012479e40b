#include "client/statuspanel.h"

#include "clientcore/gamemirror.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include <array>
#include <tuple>
#include <utility>

namespace {

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, QRect where) {
    auto *label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    label->setGeometry(where);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

StatusPanel::StatusPanel(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("statuspanel"));
    // Dark like the seat table above it, so that every seat colour reads.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(32, 32, 48));
    pal.setColor(QPalette::WindowText, QColor(220, 220, 228));
    setPalette(pal);

    // Two columns: the turn and clocks, then the settings' captions at cx
    // and their values at vx, wide enough for "Until out of Tiles".
    const int cx = 120, vx = 200, vw = 306 - vx - 2;

    // The turn across the top, wide enough for a twenty-letter name; the
    // settings' column starts below it.
    label_turn = makeLabel(this, QStringLiteral("label_turn"), QStringLiteral("You"),
                           QRect(4, 2, 306 - 6, 18));
    QFont bold = label_turn->font();
    bold.setBold(true);
    label_turn->setFont(bold);
    turnFont_ = bold;

    // Left column: the clocks.
    label_timeofgame = makeLabel(this, QStringLiteral("label_timeofgame"),
                                 QStringLiteral("Game Time: 0:00"), QRect(4, 22, cx - 6, 18));
    label_timeofturn = makeLabel(this, QStringLiteral("label_timeofturn"),
                                 QStringLiteral("Time Left: 0:00"), QRect(4, 42, cx - 6, 18));
    label_tilesleft = makeLabel(this, QStringLiteral("label_tilesleft"),
                                QStringLiteral("Tiles Left: 100"), QRect(4, 62, cx - 6, 18));

    // Right column: the settings of the game.
    makeLabel(this, QString(), QStringLiteral("Turn Time:"), QRect(cx, 21, vx - cx, 17));
    label_turntime = makeLabel(this, QStringLiteral("label_turntime"), QStringLiteral("60"),
                               QRect(vx, 21, vw, 17));
    label_turntime->setProperty("tag", 0);
    makeLabel(this, QString(), QStringLiteral("Game Time:"), QRect(cx, 38, vx - cx, 17));
    label_gametime = makeLabel(this, QStringLiteral("label_gametime"), QStringLiteral("0:00"),
                               QRect(vx, 38, vw, 17));
    makeLabel(this, QString(), QStringLiteral("Play To:"), QRect(cx, 55, vx - cx, 17));
    label_playtoscore = makeLabel(this, QStringLiteral("label_playtoscore"), QStringLiteral("0"),
                                  QRect(vx, 55, vw, 17));
    makeLabel(this, QString(), QStringLiteral("Double:"), QRect(cx, 72, vx - cx, 17));
    label_double = makeLabel(this, QStringLiteral("label_double"), QStringLiteral("No"),
                             QRect(vx, 72, vw, 17));
    makeLabel(this, QString(), QStringLiteral("Partners:"), QRect(cx, 89, vx - cx, 17));
    label_partners = makeLabel(this, QStringLiteral("label_partners"), QStringLiteral("No"),
                               QRect(vx, 89, vw, 17));

    button_startgame = new QPushButton(QStringLiteral("Start Game"), this);
    button_startgame->setObjectName(QStringLiteral("button_startgame"));
    button_startgame->setGeometry(4, 84, 110, 24);
    button_startgame->hide();

    // The move buttons show only during the local player's turn.
    int x = 4;
    for (auto [button, name, text] : {std::tuple{&button_done, "button_done", "Done"},
                                      std::tuple{&button_clear, "button_clear", "Clear"},
                                      std::tuple{&button_newtiles, "button_newtiles", "New Tiles"},
                                      std::tuple{&button_pass, "button_pass", "Pass"}}) {
        *button = new QPushButton(QString::fromLatin1(text), this);
        (*button)->setObjectName(QString::fromLatin1(name));
        (*button)->setGeometry(x, 110, 72, 24);
        (*button)->hide();
        x += 75;
    }
}

void StatusPanel::showStatus(const GameMirror &mirror) {
    const QColor colour = QColor::fromRgb(mirror.texts().turnColour());
    const std::array<std::pair<QLabel *, QString>, 4> texts{{
        {label_turn, mirror.texts().turnText()},
        {label_timeofgame, mirror.texts().timeOfGameText()},
        {label_timeofturn, mirror.texts().timeOfTurnText()},
        {label_tilesleft, mirror.texts().tilesLeftText()},
    }};
    // The longest name's turn still fits: the font shrinks until it does.
    QFont font = turnFont_;
    while (font.pointSizeF() > 6 &&
           QFontMetrics(font).horizontalAdvance(mirror.texts().turnText()) >
               label_turn->contentsRect().width())
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label_turn->setFont(font);
    for (const auto &[label, text] : texts) {
        label->setText(text);
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, colour);
        label->setPalette(pal);
    }
}

void StatusPanel::showSettings(const GameMirror &mirror) {
    label_turntime->setText(mirror.texts().turnTimeText());
    label_gametime->setText(mirror.texts().gameTimeText());
    label_playtoscore->setText(mirror.texts().playToScoreText());
    label_double->setText(mirror.texts().doubleText());
    label_partners->setText(mirror.texts().partnersText());
}

void StatusPanel::showMoveButtons(bool shown) {
    for (QPushButton *b : {button_done, button_clear, button_newtiles, button_pass})
        b->setVisible(shown);
}
