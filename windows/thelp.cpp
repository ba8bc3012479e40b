#include "windows/thelp.h"

#include <QDateTime>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const char kRules[] = R"(<h2>How to play</h2>
<p>Zorble is played by two to four players on a board of 19 by 19 squares. Each
quarter of the board belongs to one seat and carries its colour: red, green, blue
and yellow; the square in the middle belongs to nobody. Up to five more people
may join a game to watch it; View &gt; Spy List shows who they are.</p>
<p>Every player holds ten lettered tiles. When it is your turn, drag tiles from
your rack onto empty squares, all in one row or all in one column, so that they
make one unbroken word together with the letters they touch. Every tile that
touches letters across its line makes a word there too. Press <b>Done</b> (or
click the board with the right mouse button) to hand your move to the host, which
checks every word it makes against its English word list. A move that is not
accepted comes back to your rack and you may try again while your time lasts.
<b>Clear</b> takes back the tiles laid this turn.</p>
<p>The first word of a game may go anywhere; the host moves it onto the centre
line. Every later word must use a letter already on the board.</p>
<p>Instead of laying a word you may <b>Pass</b>, or once per game buy a fresh
rack with <b>New Tiles</b> for 10 points. Your rack is refilled after each word
while the bag lasts.</p>
<h3>The end</h3>
<p>A game ends when a total passes the score to play to, when the game time runs
out, when nobody holds a tile any more, or when everybody has passed. The highest
total wins.</p>)";

const char kScoring[] = R"(<h2>Scoring</h2>
<p>A move scores every letter of every word it makes, the letters already on the
board included:</p>
<ul>
<li>10 points for a letter on a square of your own colour;</li>
<li>5 points for a letter on any other square, the centre square and the Zorble
squares included.</li>
</ul>
<p>A new tile that stands in the main word and in a word across it counts in
both words.</p>
<p>The very first word of a game, when it uses more than four tiles, earns 5
points per tile plus 20, wherever it was laid: 45 points for five tiles. A first
word of four tiles or fewer is counted square by square like any other.</p>
<h3>An example</h3>
<p>Ann, in the red seat, opens the game. In red's quarter of the board she lays
C, A and T from left to right on three squares of one row. The row holds no
other letters and no tile touches anything above or below it, so CAT is the
only word: three letters on red squares, 3 &times; 10 = <b>30 points</b>. With
only three tiles the first word keeps the points of its squares. The host then
moves CAT onto the centre row, its middle letter A on the centre square, and
everybody reads &ldquo;*Ann: CAT +30 points.*&rdquo; in the chat.</p>
<p>Had Ann laid CAT on green squares, it would have earned 3 &times; 5 = 15
points; a first word of five tiles, such as TABLE, earns 45 points on any
squares.</p>
<h3>Partners</h3>
<p>In a team game seats 1 and 3 play against seats 2 and 4, and two partners
share one total: whatever one of them scores or pays counts for both.</p>)";

const char kZorbles[] = R"(<h2>Zorble squares</h2>
<p>The black squares with a yellow question mark are Zorble squares. What a
Zorble square does is not written on it: it is drawn by chance each time a word
covers one, and shows for a moment beside the board:</p>
<ul>
<li><b>Plus 20</b>: 20 points are added to the move;</li>
<li><b>Minus 20</b>: 20 points are taken off the move;</li>
<li><b>Double Word Score</b>: the move's points are doubled.</li>
</ul>
<p>The effect applies to the whole move, after its words have been counted. A
move that covers two Zorble squares gets one effect, drawn for the last of
them. A Zorble square itself is worth 5 points to everybody.</p>
<p>The hosting player chooses how many there are: none, 4, 8, 12, 16 or 20. They
lie on the diagonals, from near the centre out to the corners, and with 20 four
more lie on the centre row and column; a game with more of them has the squares
of the smaller numbers too.</p>)";

const char kOptions[] = R"(<h2>Game options</h2>
<p>The hosting player starts a game with <b>File &gt; Start Game</b> (or the
<b>Start Game</b> button), which opens the Game Options window. The values chosen
are kept for the next game.</p>
<ul>
<li><b>Turn Time Limit</b>: 45 to 360 seconds in steps of 5. When a turn's time
is up, its tiles go back to the rack and the next player moves.</li>
<li><b># Zorbles</b>: the number of Zorble squares, 0 to 20 in steps of 4.</li>
<li><b>Double Sided</b>: every tile has a second letter, the one at the
opposite end of the alphabet (A and Z, B and Y, and so on to M and N). Click a
rack tile with the right mouse button to turn it over.</li>
<li><b>Team Game</b>: seats 1 and 3 against seats 2 and 4, each pair with one
total.</li>
<li><b>Time Limited Game</b>: the game ends after this many minutes; 0 means no
limit.</li>
<li><b>Play to Score</b>: 0 to 1000 in steps of 200; the game ends as soon as a
total is higher than this. 0 plays until the tiles run out.</li>
<li><b>Play against the computer</b> (only while you sit alone): a computer
player of the normal level takes a seat before the game starts.</li>
</ul>
<h2>Computer players and hints</h2>
<p>Between games the hosting player can seat computer players with <b>File &gt;
Add Computer Player</b>, as long as a seat is free. They are named Computer 1,
Computer 2 and so on, and come in three levels: <b>Easy</b> plays any move from
the lower-scoring half, <b>Normal</b> the move with the most points, and
<b>Hard</b> also weighs the Zorble squares, the tiles it keeps and its next turn.
They wait a moment before each move so that you can follow. Remove one like any
other player, with <b>Remove From Game</b> in the menu of its name.</p>
<p><b>Options &gt; Show Hint</b> (Ctrl+H) names the move with the most points on
your turn: its word, where it starts (columns counted from the left, rows from
the top, both from 1), and its points. Three hints are allowed in a game; asking
again in the same turn shows the same hint at no cost.</p>
<p>A player who wants to sit out may tick <b>Options &gt; Just Watch</b>: the seat
keeps its place and its score but gets no turns until the tick is taken off
again.</p>)";

const char kKeyboard[] = R"(<h2>Playing with the keyboard</h2>
<p>Click the board to give it the keyboard focus. Then:</p>
<table cellspacing="4">
<tr><td><b>Arrow keys</b></td><td>move the cursor on the board.</td></tr>
<tr><td><b>A letter</b></td><td>lays the first rack tile that shows this letter
on the cursor's square and moves the cursor on to the next square.</td></tr>
<tr><td><b>Shift + a letter</b></td><td>in a double-sided game, lays a tile whose
other side shows the letter, turned over.</td></tr>
<tr><td><b>Backspace</b></td><td>takes the last tile you laid back to the
rack.</td></tr>
<tr><td><b>Enter</b></td><td>is <b>Done</b>: hands the move to the host.</td></tr>
<tr><td><b>Escape</b></td><td>is <b>Clear</b>: every tile laid this turn goes
back to the rack.</td></tr>
</table>
<p>The mouse works as before at the same time.</p>)";

const char kTogether[] = R"(<h2>Playing with others</h2>
<p>Set your name first with <b>Options &gt; Your Name</b>: the other players see
it at the table and in the chat. The game asks for it the first time you join or
invite somebody.</p>
<p><b>On the same network</b>: one player starts the game as usual. The others
choose <b>File &gt; Join a Game</b> (Ctrl+J), where the games on the local
network are listed with their host, the seats still free and whether a game is
being played; a double click joins.</p>
<p><b>Over the internet</b>: the hosting player chooses <b>File &gt; Copy
Invitation</b> and sends the link (zorble://address:port) to a friend, who clicks
it or pastes it into the Join dialog. The host's port 7772 must be reachable from
the internet (forwarded by the router), or both players must have IPv6. A host
name, an address, host:port or [IPv6 address]:port may be typed into the dialog
as well.</p>
<p>Joining leaves the game you are in. If the host cannot be found or reached,
does not answer or is full, the dialog says so and your game goes on.</p>)";

const char kCredits[] = R"(<h2>Credits</h2>
<p>Zorble is written in C++ with the <b>Qt</b> toolkit (Qt Core, Gui, Widgets,
Network and Multimedia, under the GNU LGPL version 3), fetches the lobby with
<b>libcurl</b> (under the curl licence, an MIT-style licence) and finds games on
the local network through <b>Avahi</b>'s client library (under the GNU LGPL
version 2.1 or later).</p>
<h3>The word list</h3>
<p>The English word list is built from <b>SCOWL</b> (Spell Checker Oriented Word
Lists), the English, American, British and Canadian lists of sizes 10 to 80.
SCOWL is copyright 2000&ndash;2011 Kevin Atkinson, who grants permission to use,
copy, modify, distribute and sell the lists and their output for any purpose
without fee, provided that his copyright and permission notices appear in all
copies; it comes &ldquo;as is&rdquo;, without warranty.</p>
<p>SCOWL draws on Moby Words II, 12Dicts, ENABLE and Brian Kelk's UK English
word list, all in the public domain; on the UK Advanced Cryptics Dictionary,
Copyright (c) J Ross Beresford 1993-1999. All Rights Reserved; on WordNet 1.6,
copyright 1997 Princeton University; and on the Ispell lists, copyright 1993
Geoff Kuenning, under a BSD-style licence. The full notices are in the package's
copyright file, /usr/share/doc/zorble/copyright.</p>
<h3>Sounds and pictures</h3>
<p>The sounds were made for Zorble: the effects are synthesised with <b>SoX</b>
(under the GNU GPL version 2 or later), the spoken ones with the <b>eSpeak NG</b>
speech synthesiser and its English voices (under the GNU GPL version 3 or later).
They are what those programs produced and hold no part of either program; like
the pictures, the icon, the smilies and the slate tiles, which were drawn for
Zorble by its own scripts, they belong to the game.</p>)";

// The version history is the package's changelog: each entry's version and
// date as a heading over its items.
QString historyPage() {
    QFile file(QStringLiteral(":/history/changelog"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<h2>Version history</h2><p>The history is missing.</p>");
    static const QRegularExpression entry(QStringLiteral(R"(^\S+ \(([^)]+)\))"));
    static const QRegularExpression trailer(QStringLiteral(R"(^ -- .*>  (.*)$)"));
    QString html = QStringLiteral("<h2>Version history</h2>");
    QString version, item;
    QStringList items;
    const auto endItem = [&] {
        if (!item.isEmpty())
            items << item;
        item.clear();
    };
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (const auto m = entry.match(line); m.hasMatch()) {
            version = m.captured(1);
            items.clear();
        } else if (line.startsWith(QLatin1String("  * "))) {
            endItem();
            item = line.mid(4).trimmed();
        } else if (line.startsWith(QLatin1String("    ")) && !item.isEmpty()) {
            item += QLatin1Char(' ') + line.trimmed();
        } else if (const auto t = trailer.match(line); t.hasMatch()) {
            endItem();
            const QDate date = QDateTime::fromString(t.captured(1), Qt::RFC2822Date).date();
            html += QStringLiteral("<h3>Version %1 &ndash; %2</h3><ul>")
                        .arg(version.toHtmlEscaped(), date.toString(QStringLiteral("d MMMM yyyy")));
            for (const QString &text : items)
                html += QStringLiteral("<li>%1</li>").arg(text.toHtmlEscaped());
            html += QStringLiteral("</ul>");
        }
    }
    return html;
}

QTextBrowser *page(const QString &html, const QString &name, QWidget *parent) {
    auto *view = new QTextBrowser(parent);
    view->setObjectName(name);
    view->setOpenLinks(false);
    view->setHtml(html);
    return view;
}

QTextBrowser *page(const char *html, const QString &name, QWidget *parent) {
    return page(QString::fromUtf8(html), name, parent);
}

} // namespace

Thelp::Thelp(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("helpform"));
    setWindowTitle(QStringLiteral("Zorble Help"));
    resize(520, 440);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pages"));
    // Every tab in sight: the window is at least as wide as their row.
    pages_->setUsesScrollButtons(false);
    pages_->addTab(page(kRules, QStringLiteral("page_rules"), pages_), QStringLiteral("Rules"));
    pages_->addTab(page(kScoring, QStringLiteral("page_scoring"), pages_),
                   QStringLiteral("Scoring"));
    pages_->addTab(page(kZorbles, QStringLiteral("page_zorbles"), pages_),
                   QStringLiteral("Zorble Squares"));
    pages_->addTab(page(kOptions, QStringLiteral("page_options"), pages_),
                   QStringLiteral("Game Options"));
    pages_->addTab(page(kKeyboard, QStringLiteral("page_keyboard"), pages_),
                   QStringLiteral("Keyboard"));
    pages_->addTab(page(kTogether, QStringLiteral("page_together"), pages_),
                   QStringLiteral("Playing Together"));
    pages_->addTab(page(historyPage(), QStringLiteral("page_history"), pages_),
                   QStringLiteral("Version History"));
    pages_->addTab(page(kCredits, QStringLiteral("page_credits"), pages_),
                   QStringLiteral("Credits"));

    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("button_close"));
    connect(close, &QPushButton::clicked, this, &QDialog::hide);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(close, 0, Qt::AlignRight);
}
