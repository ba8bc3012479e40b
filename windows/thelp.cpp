#include "windows/thelp.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const char kRules[] = R"(<h2>How to play</h2>
<p>Zorble is played by two to four players on a board of 19 by 19 squares. Each
quarter of the board belongs to one seat and carries its colour: red, green, blue
and yellow. Up to five more people may join a game to watch it.</p>
<p>Every player holds ten lettered tiles. When it is your turn, drag tiles from
your rack onto empty squares, all in one row or all in one column, so that they
make a word together with the letters they touch. Press <b>Done</b> (or click the
board with the right mouse button) to hand your word to the host, which checks
every word it makes against its English word list. A word that is not accepted
comes back to your rack and you may try again while your time lasts.</p>
<p>The first word of a game may go anywhere; the host moves it onto the centre
line. Every later word must touch a letter already on the board.</p>
<p>Instead of laying a word you may <b>Pass</b>, or once per game buy a fresh
rack with <b>New Tiles</b> for 10 points.</p>
<h3>Options</h3>
<p>The player who hosts chooses the time for a turn, the number of Zorble
squares, an optional game time and score to play to, double-sided tiles (a tile
can be turned over to show the letter at the opposite end of the alphabet) and
partner games, in which seats 1 and 3 play against seats 2 and 4.</p>
<h3>The end</h3>
<p>A game ends when a total passes the score to play to, when the game time runs
out, when nobody holds a tile any more, or when everybody has passed.</p>)";

const char kScoring[] = R"(<h2>Scoring</h2>
<p>A move scores every letter of every word it makes, the letters already on the
board included:</p>
<ul>
<li>10 points for a letter on a square of your own colour;</li>
<li>5 points for a letter on any other square.</li>
</ul>
<p>The very first word of a game, when it uses more than four tiles, earns 5
points per tile plus 20.</p>
<h3>Zorble squares</h3>
<p>Some squares are marked with a question mark. When your word covers one, it
draws a surprise: plus 20 points, minus 20 points, or a doubled score for the
move.</p>
<h3>Partners</h3>
<p>In a partner game the two partners share one total.</p>)";

const char kCredits[] = R"(<h2>Credits</h2>
<p>Zorble is written in C++ with the <b>Qt</b> toolkit (Qt Core, Gui, Widgets,
Network and Multimedia), which is available under the GNU LGPL version 3.</p>
<p>The English word list is built from <b>SCOWL</b> (Spell Checker Oriented Word
Lists) by Kevin Atkinson and its contributors, distributed under its own
permissive licence.</p>
<p>The sounds and pictures were made for this program.</p>)";

QTextBrowser *page(const char *html, const QString &name, QWidget *parent) {
    auto *view = new QTextBrowser(parent);
    view->setObjectName(name);
    view->setOpenLinks(false);
    view->setHtml(QString::fromUtf8(html));
    return view;
}

} // namespace

Thelp::Thelp(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("helpform"));
    setWindowTitle(QStringLiteral("Zorble Help"));
    resize(520, 440);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pages"));
    pages_->addTab(page(kRules, QStringLiteral("page_rules"), pages_), QStringLiteral("Rules"));
    pages_->addTab(page(kScoring, QStringLiteral("page_scoring"), pages_),
                   QStringLiteral("Scoring"));
    pages_->addTab(page(kCredits, QStringLiteral("page_credits"), pages_),
                   QStringLiteral("Credits"));

    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("button_close"));
    connect(close, &QPushButton::clicked, this, &QDialog::hide);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(close, 0, Qt::AlignRight);
}
