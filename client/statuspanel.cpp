#include "client/statuspanel.h"

#include "clientcore/gamemirror.h"

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

    // Left column: the turn and the clocks.
    label_turn = makeLabel(this, QStringLiteral("label_turn"), QStringLiteral("You"),
                           QRect(4, 2, cx - 6, 18));
    QFont bold = label_turn->font();
    bold.setBold(true);
    label_turn->setFont(bold);
    label_timeofgame = makeLabel(this, QStringLiteral("label_timeofgame"),
                                 QStringLiteral("Game Time: 0:00"), QRect(4, 22, cx - 6, 18));
    label_timeofturn = makeLabel(this, QStringLiteral("label_timeofturn"),
                                 QStringLiteral("Time Left: 0:00"), QRect(4, 42, cx - 6, 18));
    label_tilesleft = makeLabel(this, QStringLiteral("label_tilesleft"),
                                QStringLiteral("Tiles Left: 100"), QRect(4, 62, cx - 6, 18));

    // Right column: the settings of the game.
    makeLabel(this, QString(), QStringLiteral("Turn Time:"), QRect(cx, 2, vx - cx, 18));
    label_turntime = makeLabel(this, QStringLiteral("label_turntime"), QStringLiteral("60"),
                               QRect(vx, 2, vw, 18));
    label_turntime->setProperty("tag", 0);
    makeLabel(this, QString(), QStringLiteral("Game Time:"), QRect(cx, 20, vx - cx, 18));
    label_gametime = makeLabel(this, QStringLiteral("label_gametime"), QStringLiteral("0:00"),
                               QRect(vx, 20, vw, 18));
    makeLabel(this, QString(), QStringLiteral("Play To:"), QRect(cx, 38, vx - cx, 18));
    label_playtoscore = makeLabel(this, QStringLiteral("label_playtoscore"), QStringLiteral("0"),
                                  QRect(vx, 38, vw, 18));
    makeLabel(this, QString(), QStringLiteral("Double:"), QRect(cx, 56, vx - cx, 18));
    label_double = makeLabel(this, QStringLiteral("label_double"), QStringLiteral("No"),
                             QRect(vx, 56, vw, 18));
    makeLabel(this, QString(), QStringLiteral("Partners:"), QRect(cx, 74, vx - cx, 18));
    label_partners = makeLabel(this, QStringLiteral("label_partners"), QStringLiteral("No"),
                               QRect(vx, 74, vw, 18));

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
