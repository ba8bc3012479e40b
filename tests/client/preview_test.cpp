// The preview against the host: on boards of games played to their end,
// random placements of the mover's tiles are judged by the window's preview
// and by the host's rules as the host reads a move, from the very request the
// window would send. Some are submitted to the host for real.
#include "client/movepreview.h"
#include "dict/tdictn.h"
#include "net/messages.h"
#include "net/protocol.h"
#include "tests/engine/selfplay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <optional>
#include <random>

namespace {

constexpr int kEmpty = game::kEmpty;

bool isFree(const GameMirror &m, int x, int y) {
    return x >= 0 && x < 19 && y >= 0 && y < 19 && m.composer().shownLetter(x, y) == kEmpty;
}

// Random placements of a mover's rack tiles: words of the list through a
// board letter (or anywhere on an empty board), the same with one tile
// knocked aside, short runs beside board letters, and tiles strewn anywhere.
class Placer {
public:
    Placer(const GameMirror &m, const fullgame::WordList &words, std::mt19937 &rng)
        : m_(m), words_(words), rng_(rng) {
        for (int k = 1; k <= 10; ++k)
            if (m.composer().tileOnRack(k))
                tiles_ << k;
        for (int x = 0; x < 19; ++x)
            for (int y = 0; y < 19; ++y)
                if (!isFree(m, x, y))
                    letters_.append({x, y});
        // Words the rack spells but for one letter at most, either side of
        // its tiles counted.
        std::array<int, 26> have{};
        for (int k : tiles_) {
            ++have[m.composer().tileLetter(k)];
            if (m.options().doubletiles)
                ++have[25 - m.composer().tileLetter(k)];
        }
        for (const QString &w : words.words) {
            std::array<int, 26> need{};
            int lacking = 0;
            for (QChar c : w)
                lacking += ++need[c.unicode() - u'a'] > have[c.unicode() - u'a'];
            if (lacking <= (letters_.isEmpty() ? 0 : 1))
                spellable_ << &w;
        }
    }

    QList<game::LaidTile> next() {
        QList<game::LaidTile> move;
        switch (pick(5)) {
        case 0:
        case 1:
            move = word();
            break;
        case 2:
            move = word();
            knockAside(move);
            break;
        case 3:
            move = run();
            break;
        default:
            break;
        }
        return move.isEmpty() ? strewn() : move;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    // The first free rack tile that shows the letter, or shows it turned over
    // in a double-tile game.
    std::optional<game::LaidTile> tileFor(int letter, const QList<int> &used) {
        for (bool flipped : {false, true}) {
            if (flipped && !m_.options().doubletiles)
                break;
            for (int k : tiles_)
                if (!used.contains(k) && (flipped ? 25 - m_.composer().tileLetter(k)
                                                  : m_.composer().tileLetter(k)) == letter)
                    return game::LaidTile{k, flipped, 0, 0};
        }
        return std::nullopt;
    }

    QList<game::LaidTile> word() {
        for (int tries = 0; tries < 300 && !spellable_.isEmpty(); ++tries) {
            const QString &w = *spellable_[pick(int(spellable_.size()))];
            const bool across = pick(2);
            int start = 0, line = 0;
            if (letters_.isEmpty()) {
                start = pick(19 - int(w.size()) + 1);
                line = pick(19);
            } else {
                const auto [ax, ay] = letters_[pick(int(letters_.size()))];
                const qsizetype i = w.indexOf(QChar(u'a' + m_.composer().shownLetter(ax, ay)));
                if (i < 0)
                    continue;
                start = (across ? ax : ay) - int(i);
                line = across ? ay : ax;
            }
            if (start < 0 || start + w.size() > 19)
                continue;
            QList<game::LaidTile> move;
            QList<int> used;
            bool fits = true;
            for (int j = 0; j < w.size() && fits; ++j) {
                const int x = across ? start + j : line, y = across ? line : start + j;
                const int letter = w[j].unicode() - u'a';
                if (!isFree(m_, x, y)) {
                    fits = m_.composer().shownLetter(x, y) == letter;
                    continue;
                }
                const auto tile = tileFor(letter, used);
                fits = tile.has_value();
                if (fits) {
                    used << tile->rackslot;
                    move.append({tile->rackslot, tile->flipped, x, y});
                }
            }
            if (fits && !move.isEmpty())
                return move;
        }
        return {};
    }

    void knockAside(QList<game::LaidTile> &move) {
        if (move.isEmpty())
            return;
        game::LaidTile &t = move[pick(int(move.size()))];
        const int x = t.x + pick(3) - 1, y = t.y + pick(3) - 1;
        for (const game::LaidTile &o : move)
            if (o.x == x && o.y == y)
                return;
        if (isFree(m_, x, y)) {
            t.x = x;
            t.y = y;
        }
    }

    QList<game::LaidTile> run() {
        if (tiles_.isEmpty())
            return {};
        const auto [ax, ay] =
            letters_.isEmpty() ? std::array<int, 2>{9, 9} : letters_[pick(int(letters_.size()))];
        const bool across = pick(2);
        const int n = 1 + pick(std::min<int>(3, int(tiles_.size())));
        const int step = pick(2) ? 1 : -1;
        QList<game::LaidTile> move;
        QList<int> order = tiles_;
        std::shuffle(order.begin(), order.end(), rng_);
        for (int p = 1, used = 0; used < n && p < 19; ++p) {
            const int x = across ? ax + step * p : ax, y = across ? ay : ay + step * p;
            if (x < 0 || x > 18 || y < 0 || y > 18)
                break;
            if (!isFree(m_, x, y))
                continue;
            move.append({order[used], m_.options().doubletiles && pick(4) == 0, x, y});
            ++used;
        }
        return move;
    }

    QList<game::LaidTile> strewn() {
        QList<int> order = tiles_;
        std::shuffle(order.begin(), order.end(), rng_);
        QList<game::LaidTile> move;
        const int n = std::min<int>(1 + pick(4), int(order.size()));
        for (int i = 0; i < n; ++i) {
            int x, y;
            bool taken;
            do {
                x = pick(19);
                y = pick(19);
                taken = !isFree(m_, x, y);
                for (const game::LaidTile &o : move)
                    taken = taken || (o.x == x && o.y == y);
            } while (taken);
            move.append({order[i], m_.options().doubletiles && pick(4) == 0, x, y});
        }
        return move;
    }

    const GameMirror &m_;
    const fullgame::WordList &words_;
    std::mt19937 &rng_;
    QList<int> tiles_;
    QList<std::array<int, 2>> letters_;
    QList<const QString *> spellable_;
};

// What the host makes of a move request, read and judged as the host reads
// and judges one.
rules::Verdict hostVerdict(SelfPlay &game, int seat, const QString &request) {
    const proto::DecodedRequest decoded = proto::decodeRequest(request);
    const auto *req = std::get_if<proto::Request>(&decoded);
    const auto *move = req ? std::get_if<proto::tohost::Move>(req) : nullptr;
    if (!move) {
        ADD_FAILURE() << "the host cannot read " << request.toStdString();
        return {};
    }
    const auto verdict =
        game::judgeMove(game.rules(), game.probe().table.positionOf(seat), move->tiles);
    if (!verdict) {
        ADD_FAILURE() << "the host refuses to read " << request.toStdString();
        return {};
    }
    return *verdict;
}

TEST(MovePreview, AgreesWithTheHostOnEveryPlacement) {
    const TDictn dict;
    ASSERT_TRUE(dict.isOpen());
    const fullgame::WordList words(dict, 7);
    const rules::WordLookup lookup = [&dict](const QString &w) { return dict.FindWord(w); };
    std::mt19937 rng(7772);

    int judged = 0, submitted = 0, firstWords = 0;
    std::map<QString, int> outcomes; // "valid" or the refusal's text without its word
    for (quint32 seed = 1; seed <= 3 || judged < 1000; ++seed) {
        SCOPED_TRACE(testing::Message() << "game " << seed);
        SelfPlay game(lookup, words);
        game.start(seed, seed % 2 ? QStringLiteral("Ann+90+12+0+0+y+n+")
                                  : QStringLiteral("Ann+90+20+0+0+n+n+"));
        for (int turn = 0; game.running() && turn < 60; ++turn) {
            const int seat = game.mover();
            GameMirror &m = game.mirror(seat);
            ASSERT_TRUE(m.canLay());
            Placer placer(m, words, rng);
            for (int i = 0; i < 24; ++i) {
                const QList<game::LaidTile> move = placer.next();
                for (const game::LaidTile &t : move) {
                    if (t.flipped) {
                        ASSERT_TRUE(m.composer().flippit(t.rackslot));
                    }
                    ASSERT_TRUE(m.composer().layTile(t.rackslot, t.x, t.y));
                }
                const auto laidMove = m.composer().move();
                ASSERT_TRUE(laidMove);
                const std::optional<QString> request = proto::requestText(*laidMove);
                ASSERT_TRUE(request);
                const std::optional<rules::Verdict> preview =
                    movepreview::judgeLaid(m, game.rules());
                ASSERT_TRUE(preview) << request->toStdString();
                const rules::Verdict host = hostVerdict(game, seat, *request);
                ++judged;
                firstWords += game.probe().firstword();
                ++outcomes[preview->valid
                               ? QStringLiteral("valid")
                               : movepreview::describe(*preview).section(QLatin1Char(':'), 0, 0)];
                EXPECT_EQ(preview->valid, host.valid) << request->toStdString();
                EXPECT_EQ(preview->score, host.score) << request->toStdString();
                EXPECT_EQ(preview->word, host.word) << request->toStdString();

                // Now and then the host itself answers.
                if (i == 0 && turn % 2 == 0) {
                    ++submitted;
                    const qsizetype before =
                        game.probe().startingWith(seat, "CMD_postscore+").size();
                    game.request(seat, *request);
                    const QStringList scores = game.probe().startingWith(seat, "CMD_postscore+");
                    EXPECT_EQ(scores.size() > before, preview->valid) << request->toStdString();
                    if (scores.size() > before) {
                        const auto decoded = proto::decodeHostMessage(scores.last());
                        const auto &scored = std::get<proto::toclient::Scored>(
                            std::get<proto::HostMessage>(decoded));
                        EXPECT_EQ(scored.turnscore,
                                  rules::withZorble(preview->score, scored.bonus));
                        break; // the turn is over
                    }
                }
                m.composer().clearLaid();
                for (const game::LaidTile &t : move)
                    if (t.flipped)
                        m.composer().flippit(t.rackslot);
            }
            if (game.mover() == seat)
                game.playTurn();
        }
    }
    std::string seen;
    for (const auto &[what, n] : outcomes)
        seen += what.toStdString() + " " + std::to_string(n) + "; ";
    std::printf("%d placements judged (%d first words), %d submitted: %s\n", judged, firstWords,
                submitted, seen.c_str());
    EXPECT_GE(judged, 1000);
    EXPECT_GE(firstWords, 20);
    EXPECT_GE(outcomes["valid"], 100);
    EXPECT_GE(judged - outcomes["valid"], 100);
}

} // namespace
