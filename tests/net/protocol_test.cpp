#include "net/messages.h"
#include "net/protocol.h"

#include <gtest/gtest.h>

using namespace proto;

TEST(Protocol, FieldReaderTakesTextUpToEachPlus) {
    FieldReader r(QStringLiteral("12+abc++rest+with+plus"));
    EXPECT_EQ(r.field(), "12");
    EXPECT_EQ(r.field(), "abc");
    EXPECT_EQ(r.field(), "");
    EXPECT_EQ(r.field(), "rest");
    EXPECT_EQ(r.rest(), "with+plus");
    // Without a "+" left the field is empty and the text stays.
    FieldReader last(QStringLiteral("tail"));
    EXPECT_EQ(last.field(), "");
    EXPECT_EQ(last.rest(), "tail");
}

TEST(Protocol, IntegersAreStrictDecimal) {
    EXPECT_EQ(toInt(u"0"), 0);
    EXPECT_EQ(toInt(u"-20"), -20);
    EXPECT_EQ(toInt(u"2147483647"), 2147483647);
    EXPECT_EQ(toInt(u"-2147483648"), INT_MIN);
    for (const char16_t *bad :
         {u"", u"-", u"1x", u" 1", u"1 ", u"2147483648", u"0x10", u"+5", u"99999999999999999999"})
        EXPECT_FALSE(toInt(bad).has_value()) << QString::fromUtf16(bad).toStdString();
}

TEST(Protocol, LinesSplitAtTheFirstPlus) {
    EXPECT_EQ(splitLine("CMD_chat+1+a+b").command, "CMD_chat");
    EXPECT_EQ(splitLine("CMD_chat+1+a+b").payload, "1+a+b");
    EXPECT_EQ(splitLine("CMD_full+").payload, "");
    // No "+": no command at all, so the line is ignored.
    EXPECT_TRUE(splitLine("CMD_zb").command.isEmpty());
    EXPECT_TRUE(splitLine("CMD_winner").command.isEmpty());
    EXPECT_TRUE(splitLine("").command.isEmpty());
}

TEST(Protocol, ListsAreReadEntryByEntry) {
    const auto two = readEntries("3+n+4+5+7+y+6+5", 4);
    ASSERT_TRUE(two);
    ASSERT_EQ(two->size(), 2);
    EXPECT_EQ(two->at(1), (QStringList{"7", "y", "6", "5"}));
    // Every list on the wire holds at least one entry; an empty one is malformed.
    EXPECT_FALSE(readEntries("", 4));
    // A list that stops inside an entry is refused instead of read forever.
    EXPECT_FALSE(readEntries("3+n+4", 4));
    EXPECT_FALSE(readEntries("3+n+4+5+6", 4));
}

TEST(Protocol, LoginCutsVersionAndName) {
    const auto login =
        parseLoginInfo("2+2.1.1-a-very-long-version+A name that is much longer than twenty");
    ASSERT_TRUE(login);
    EXPECT_EQ(login->slot, 2);
    EXPECT_EQ(login->version, "2.1.1-a-very-lo");
    EXPECT_EQ(login->name, "A name that is much ");
    EXPECT_EQ(client::logininfo(2, "2.1.1", "Al+ice"), "CMD_logininfo+2+2.1.1+Al+ice");
    EXPECT_EQ(parseLoginInfo("2+2.1.1+Al+ice")->name, "Al+ice");
    EXPECT_FALSE(parseLoginInfo("x+2.1.1+Bob"));
}

TEST(Protocol, StartGameRepeatsTheRequestWithDoublePlus) {
    const game::GameOptions o{60, 8, 0, 200, true, true};
    const QString request = client::startgame("Alice", o);
    EXPECT_EQ(request, "CMD_startgame+Alice+60+8+0+200+y+y+");
    const auto parsed = parseStartGame(splitLine(request).payload);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->options.turntime, 60);
    EXPECT_EQ(parsed->options.playtoscore, 200);
    EXPECT_TRUE(parsed->options.doubletiles);
    EXPECT_TRUE(parsed->options.partners);

    const QString notice = host::startgame(parsed->payload, false);
    EXPECT_EQ(notice, "CMD_startgame+Alice+60+8+0+200+y+y++n");
    const auto seen = parseGameStarted(splitLine(notice).payload);
    ASSERT_TRUE(seen);
    EXPECT_FALSE(seen->options.partners); // the flag in force, not the one asked for
    EXPECT_EQ(seen->options.squarecount, 8);
}

TEST(Protocol, MoveMessagesRoundTrip) {
    const QList<game::LaidTile> tiles = {{3, false, 4, 5}, {7, true, 5, 5}};
    const QString done = client::done(2, tiles);
    EXPECT_EQ(done, "CMD_done+2+3+n+4+5+7+y+5+5");
    const auto parsed = parseDone(splitLine(done).payload);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->seat, 2);
    ASSERT_EQ(parsed->tiles.size(), 2);
    EXPECT_TRUE(parsed->tiles[1].flipped);
    EXPECT_EQ(parsed->tiles[1].x, 5);
    // Out-of-range values still parse: the engine answers them itself.
    EXPECT_TRUE(parseDone("1+11+n+-1+40"));
    EXPECT_FALSE(parseDone("1+1+n+a+4"));

    const QList<BoardLetter> word = {{8, 9, 2}, {9, 9, 0}, {10, 9, 19}};
    EXPECT_EQ(host::newword(word), "CMD_newword+8+9+2+9+9+0+10+9+19");
    EXPECT_EQ(host::reposition(word).left(18), "CMD_reposition+8+9");
    const auto back = parseTileList(splitLine(host::newword(word)).payload);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), 3);
    EXPECT_EQ(back->at(2).letter, 19);
    EXPECT_FALSE(parseTileList("8+9+26")); // no such letter
    EXPECT_FALSE(parseTileList("19+9+1")); // off the board
}

TEST(Protocol, ScoresTravelWithTheirSign) {
    PostScore p{12, 3, 2, -20, -5, 1, 40, "cat"};
    const QString msg = host::postscore(p);
    EXPECT_EQ(msg, "CMD_postscore+12+3+2+-20+-5+1+40+cat+");
    const auto back = parsePostScore(splitLine(msg).payload);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->turnscore, -20);
    EXPECT_EQ(back->score, -5);
    EXPECT_EQ(back->word, "cat");
    EXPECT_EQ(host::newtiles("2", -8, 4, 0), "CMD_newtiles+2+-8+4+0");
    EXPECT_EQ(parseNewTiles("2+-8+4+0")->score, -8);
    EXPECT_EQ(host::notiles(3), "CMD_notiles+3+");
}

TEST(Protocol, HostMessagesRefuseValuesClientsCannotIndex) {
    EXPECT_TRUE(parseAtile("10+25"));
    EXPECT_FALSE(parseAtile("11+0"));
    EXPECT_FALSE(parseAtile("1+100"));
    EXPECT_TRUE(parseArrangeBoard("2+3+4+1"));
    EXPECT_FALSE(parseArrangeBoard("2+3+4+5"));
    EXPECT_FALSE(parseSlotName("0+nobody"));
    EXPECT_EQ(parseSlotName("4+")->name, "");
    EXPECT_EQ(parseSlotName("4+Bo+b")->name, "Bo+b");
    EXPECT_EQ(parseWinner("1+3"), (QList<int>{1, 3}));
    EXPECT_FALSE(parseWinner("1+7"));
    const auto settings = parseGameSettings("30+4+10+65+200+y+n");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->elapsed, 65);
    EXPECT_TRUE(settings->options.doubletiles);
    EXPECT_FALSE(settings->options.partners);
    EXPECT_EQ(host::gamesettings(*settings), "CMD_gamesettings+30+4+10+65+200+y+n");
}

TEST(Protocol, ChatCarriesItsColourAfterTheFirstBar) {
    EXPECT_EQ(client::chat(1, "a+b", "clRed"), "CMD_chat+1+a+b|clRed");
    EXPECT_EQ(host::chat("1", "Ann", "a+b|clRed"), "CMD_chat+1+Ann chats: a+b|clRed");
    EXPECT_EQ(host::action("5", "Ann", "waves|clRed"), "CMD_action+5+Ann waves|clRed");
    const auto c = splitColour("x|y|clRed");
    EXPECT_EQ(c.text, "x");
    EXPECT_EQ(c.colour, "y|clRed");
    EXPECT_EQ(splitColour("plain").colour, "");
    EXPECT_EQ(client::playasound(2, 7), "CMD_playasound+2+wave7+");
}

TEST(Protocol, EncodingAppendsOneTerminator) {
    const QByteArray bytes = encode(QStringLiteral("CMD_chat+1+\u00e9"));
    EXPECT_EQ(bytes.back(), '\xFF');
    EXPECT_EQ(bytes.count('\xFF'), 1);
    EXPECT_EQ(decode(bytes.chopped(1)), QStringLiteral("CMD_chat+1+\u00e9"));
    EXPECT_EQ(cut(QStringLiteral("abc"), 2), "ab");
    // A cut never leaves half a surrogate pair behind.
    EXPECT_EQ(cut(QStringLiteral("a\U0001F600"), 2), "a");
}

// Messages whose numbers a client would index its tables with, just below
// the lowest value each may take, or a field that is not a number at all.
TEST(Decoding, HostMessagesOutsideTheirRangesAreRefused) {
    const char *const refused[] = {
        "CMD_sendlogininfo+0",
        "CMD_newplayerinfo+0+Eve",
        "CMD_playerdisconnected+0+Eve",
        "CMD_arrangeboard+0+1+2+3",
        "CMD_showboard+-1+0+0",
        "CMD_showboard+0+-1+0",
        "CMD_placeletter+0+0+-1",
        "CMD_atile+0+3",
        "CMD_atile+1+-1",
        "CMD_newword+0+0+0+-1+0+0",
        "CMD_reposition+0+-1+0",
        "CMD_tilecount+-1",
        "CMD_nextplayer+-1",
        "CMD_justwatching+0+1",
        "CMD_newtiles+0+10+2+0",
        "CMD_postscore+0+0+0+5+5+3+0+at+",
        "CMD_winner+0",
        "CMD_chat+-1+Eve chats: hi|clRed",
        "CMD_notiles+x+",
        // Only seats 1..4 take turns.
        "CMD_nextplayer+0",
        "CMD_nextplayer+7",
        "CMD_seatscore+5+10+",
        "CMD_seatscore+1+10+12",
        "CMD_seatscore+1+10+--5",
        "CMD_seatkept+5+10",
        "CMD_seatkept+1+-1",
        "CMD_turnclock+-1",
        "CMD_turnclock+86401",
        "CMD_rejointoken+00000000000000000000000000000000+0000000000000000000000000000000+9",
        "CMD_rejointoken+00000000000000000000000000000000+0000000000000000000000000000000g+9",
        "CMD_rejointoken+00000000000000000000000000000000+00000000000000000000000000000000+-1",
    };
    for (const char *line : refused) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(std::holds_alternative<proto::Refused>(
            proto::decodeHostMessage(QString::fromLatin1(line))));
    }
    // The lowest values that stand.
    const QString token(32, QLatin1Char('f'));
    const QString accepted[] = {"CMD_atile+1+0",
                                "CMD_showboard+0+0+0",
                                "CMD_nextplayer+1",
                                "CMD_tilecount+0",
                                "CMD_winner+1",
                                "CMD_seatscore+1+0+",
                                "CMD_seatscore+4+-3+-10",
                                "CMD_seatscore+2+5++-5",
                                proto::host::seatkept(4, 0),
                                proto::host::rejointoken(token, token, 0),
                                proto::host::closing(),
                                proto::host::turnclock(0)};
    for (const QString &line : accepted) {
        SCOPED_TRACE(line.toStdString());
        EXPECT_TRUE(std::holds_alternative<proto::HostMessage>(proto::decodeHostMessage(line)));
    }
}
