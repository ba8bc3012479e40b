#include "client/chat/chatentry.h"
#include "client/chat/chatpanel.h"
#include "client/chat/chatview.h"
#include "client/chat/colortext.h"
#include "client/chat/smilies.h"
#include "client/chat/sounds.h"
#include "clientcore/gamemirror.h"
#include "tests/chat/qtapp.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class ChatPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        qtApp();
        panel = std::make_unique<ChatPanel>();
        QObject::connect(panel.get(), &ChatPanel::sendRequest,
                         [this](const proto::Request &r) { sent.append(proto::requestText(r)); });
        // The window's wiring: the mirror takes the host's lines to the panel.
        QObject::connect(&mirror, &GameMirror::chatLine, panel.get(), &ChatPanel::addlinetochat);
        QObject::connect(&mirror, &GameMirror::chatterSoundRequested, panel.get(),
                         &ChatPanel::chatterSound);
        panel->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    }

    void login(int seat) {
        panel->setLocalSeat(seat);
        panel->setLoggedIn(true);
    }

    void type(const QString &text) {
        QTest::keyClicks(panel->entry(), text);
        QTest::keyClick(panel->entry(), Qt::Key_Return);
    }

    QString lastLine() const { return panel->view()->document()->lastBlock().text(); }
    QColor lastLineColour() const {
        return panel->view()
            ->document()
            ->lastBlock()
            .begin()
            .fragment()
            .charFormat()
            .foreground()
            .color();
    }

    QAction *optionAction(QMenu &menu, const QString &text) {
        for (QAction *a : menu.findChildren<QAction *>())
            if (a->text() == text)
                return a;
        for (QAction *a : menu.actions()) {
            if (a->text() == text)
                return a;
            if (a->menu())
                for (QAction *b : a->menu()->actions())
                    if (b->text() == text)
                        return b;
        }
        return nullptr;
    }

    std::unique_ptr<ChatPanel> panel;
    QStringList sent;
    GameMirror mirror;
    // A message from the host, through the mirror.
    void receive(const QString &line) {
        const proto::DecodedHostMessage decoded = proto::decodeHostMessage(line);
        if (const auto *message = std::get_if<proto::HostMessage>(&decoded))
            mirror.handle(*message);
    }
};

} // namespace

TEST_F(ChatPanelTest, ElementsCarryTheirNamesAndPlaces) {
    for (int n = 1; n <= 10; ++n) {
        auto *b = panel->findChild<QPushButton *>(QStringLiteral("b_phrase%1").arg(n));
        ASSERT_NE(b, nullptr) << n;
        EXPECT_EQ(b->toolTip(), ChatPanel::defaultPhrase(n));
    }
    auto *view = panel->findChild<ChatView *>("mainchat");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->size(), QSize(299, 274));
    EXPECT_NE(panel->findChild<ChatEntry *>("edit_chat"), nullptr);
    EXPECT_NE(panel->findChild<QToolButton *>("b_smiley"), nullptr);
    EXPECT_EQ(panel->entry()->text(), "<Enter Chat Here>");
    EXPECT_EQ(panel->size(), QSize(ChatPanel::kWidth, ChatPanel::kHeight));
}

TEST_F(ChatPanelTest, EnterSendsChatOrActionAndSlashCommandsSendNothing) {
    type("hi");
    EXPECT_TRUE(sent.isEmpty()); // not logged in: the text stays
    EXPECT_EQ(panel->entry()->text(), "hi");
    panel->entry()->clear();

    login(2);
    panel->entry()->setText(ChatEntry::kPrompt);
    QTest::keyClick(panel->entry(), Qt::Key_Return); // the prompt is never sent
    EXPECT_TRUE(sent.isEmpty());
    panel->setTextColour(0x0000FF);
    type("hello | there");
    type("/me waves");
    type("/help");
    EXPECT_TRUE(panel->entry()->text().isEmpty());
    QTest::keyClick(panel->entry(), Qt::Key_Return); // empty: nothing
    type("/mesmerised");
    EXPECT_EQ(sent, (QStringList{"CMD_chat+2+hello | there|clRed", "CMD_action+2+waves|clRed",
                                 "CMD_action+2+merised|clRed"}));
}

TEST_F(ChatPanelTest, TheFirstKeyClearsThePromptAndPasteAppends) {
    QTest::keyClick(panel->entry(), Qt::Key_A);
    EXPECT_EQ(panel->entry()->text(), "a");

    panel->entry()->setText(ChatEntry::kPrompt);
    QApplication::clipboard()->setText("pasted\ntext");
    QTest::keySequence(panel->entry(), QKeySequence::Paste);
    EXPECT_EQ(panel->entry()->text(), "pasted text");
    panel->entry()->setCursorPosition(0);
    QApplication::clipboard()->setText("!");
    QTest::keySequence(panel->entry(), QKeySequence::Paste);
    EXPECT_EQ(panel->entry()->text(), "pasted text!");
    EXPECT_EQ(panel->entry()->cursorPosition(), 12);
}

TEST_F(ChatPanelTest, PhraseGuardLetsOnePhraseThroughUntilItHasTicked) {
    login(1);
    auto *one = panel->findChild<QPushButton *>("b_phrase1");
    auto *three = panel->findChild<QPushButton *>("b_phrase3");
    QTest::mouseClick(one, Qt::LeftButton);
    QTest::mouseClick(three, Qt::LeftButton);
    ASSERT_EQ(sent, QStringList{"CMD_action+1+says: Way To Go!|clBlack"});
    EXPECT_FALSE(panel->phraseReady());

    // Typed chat is not held back by the guard.
    type("typed");
    EXPECT_EQ(sent.size(), 2);

    // The guard opens again by itself.
    EXPECT_TRUE(QTest::qWaitFor([this] { return panel->phraseReady(); }, 5000));
    panel->setPhrase(3, "/me claps");
    QTest::mouseClick(three, Qt::LeftButton);
    EXPECT_EQ(sent.last(), "CMD_action+1+claps|clBlack");
    EXPECT_EQ(three->toolTip(), "/me claps");
}

TEST_F(ChatPanelTest, PhraseGuardCountsItsTicks) {
    login(1);
    panel->phraseClick(2);
    for (int i = 0; i < ChatPanel::kPhraseGuardTicks - 1 && !panel->phraseReady(); ++i)
        panel->phraseTick();
    // Unless the event loop ticked meanwhile, one tick is still missing.
    panel->phraseClick(2);
    const int afterEarly = int(sent.size());
    panel->phraseTick();
    ASSERT_TRUE(panel->phraseReady());
    panel->phraseClick(2);
    EXPECT_EQ(afterEarly, 1);
    EXPECT_EQ(sent.size(), 2);
    EXPECT_EQ(sent.last(), "CMD_action+1+says: Good One!|clBlack");
    // Button 10 opens the sound menu; it never sends its phrase.
    panel->phraseClick(10);
    EXPECT_EQ(sent.size(), 2);
}

TEST_F(ChatPanelTest, ChatterMenuSendsOnlyFromALoggedInSeat) {
    const QList<QAction *> entries = panel->chatterMenu()->actions();
    ASSERT_EQ(entries.size(), 21);
    EXPECT_EQ(entries[0]->text(), "<Cancel>");
    EXPECT_EQ(entries[5]->text(), "Where have you been?");
    EXPECT_EQ(entries[20]->text(), "Crying");

    entries[3]->trigger(); // not logged in
    login(6);
    entries[3]->trigger(); // a watcher
    login(4);
    entries[0]->trigger(); // cancel
    entries[3]->trigger();
    entries[20]->trigger();
    EXPECT_EQ(sent, (QStringList{"CMD_playasound+4+wave3+", "CMD_playasound+4+wave20+"}));
}

TEST_F(ChatPanelTest, SmileyMenuAppendsCodes) {
    const QList<QAction *> entries = panel->smileyMenu()->actions();
    ASSERT_EQ(entries.size(), 18);
    EXPECT_EQ(entries[0]->text(), ":)#10");
    EXPECT_EQ(entries[17]->text(), ":)#27");
    EXPECT_FALSE(entries[17]->icon().isNull());
    entries[5]->trigger();
    EXPECT_EQ(panel->entry()->text(), ":)#15");
    panel->entry()->setText("hi");
    entries[0]->trigger();
    EXPECT_EQ(panel->entry()->text(), "hi:)#10");
    EXPECT_EQ(panel->entry()->cursorPosition(), 7);
}

TEST_F(ChatPanelTest, ReceivedChatTakesItsColourFromAfterTheBar) {
    receive("CMD_chat+1+Alice chats: hi|clRed");
    EXPECT_EQ(lastLine(), "Alice chats:  hi ");
    EXPECT_EQ(lastLineColour(), QColor(255, 0, 0));

    receive("CMD_chat+2+Bob chats: a|b|clRed"); // cut at the first bar; "b|clRed" is no colour
    EXPECT_EQ(lastLine(), "Bob chats:  a ");
    EXPECT_EQ(lastLineColour(), QColor(255, 255, 255));

    receive("CMD_chat+3+Carol waves|$00008000");
    EXPECT_EQ(lastLine(), " Carol waves ");
    EXPECT_EQ(lastLineColour(), QColor(0, 128, 0));

    receive("CMD_chat+4+Dan chats: no colour");
    EXPECT_EQ(lastLineColour(), QColor(255, 255, 255));

    const int blocks = panel->view()->document()->blockCount();
    receive("CMD_chat+seat+Eve chats: x|clRed");
    EXPECT_EQ(panel->view()->document()->blockCount(), blocks);
}

TEST_F(ChatPanelTest, ChatterSoundsPlayOrShowALine) {
    panel->setSeatNames([](int seat) { return seat == 1 ? QStringLiteral("Alice") : QString(); });
    QSignalSpy played(panel->sounds(), &Sounds::started);
    ChatOptions o = panel->options();
    o.chatterSounds = false;
    o.playSounds = true;
    panel->applyOptions(o);

    receive("CMD_playasound+1+wave1+");
    EXPECT_EQ(panel->view()->toPlainText(), "Alice:  <Chatter Sound> Doh ");
    EXPECT_EQ(lastLineColour(), QColor(0, 128, 0));
    receive("CMD_playasound+6+wave2+"); // no name label: nothing
    receive("CMD_playasound+1+wave21+");
    receive("CMD_playasound+x+wave1+");
    receive("CMD_playasound+1+bell+");
    EXPECT_EQ(panel->view()->document()->blockCount(), 1);
    EXPECT_EQ(played.count(), 0);

    // Chatter sounds play even with "Play Sounds" off.
    o.chatterSounds = true;
    o.playSounds = false;
    panel->applyOptions(o);
    receive("CMD_playasound+2+wave13+");
    ASSERT_EQ(played.count(), 1);
    EXPECT_EQ(played[0][0].toString(), "wave13");
    EXPECT_EQ(panel->view()->document()->blockCount(), 1);
}

TEST_F(ChatPanelTest, OptionsMenuEntriesDriveTheColumn) {
    QMenu options;
    panel->addOptionActions(&options);
    QAction *play = optionAction(options, "Play Sounds");
    QAction *chatter = optionAction(options, "Play Chatter Sounds");
    QAction *scroll = optionAction(options, "Scroll Chat Off");
    QAction *size12 = optionAction(options, "12");
    QAction *size10 = optionAction(options, "10");
    QAction *newTurn = optionAction(options, "New");
    QAction *classic = optionAction(options, "Classic");
    ASSERT_TRUE(play && chatter && scroll && size12 && size10 && newTurn && classic);
    ASSERT_NE(optionAction(options, "Text Color"), nullptr);

    QSignalSpy changed(panel.get(), &ChatPanel::optionsChanged);
    EXPECT_TRUE(play->isChecked());
    play->trigger();
    EXPECT_FALSE(panel->sounds()->isEnabled());
    EXPECT_FALSE(panel->options().playSounds);

    EXPECT_TRUE(size10->isChecked());
    size12->trigger();
    EXPECT_EQ(panel->view()->textSize(), 12);
    EXPECT_FALSE(size10->isChecked());
    EXPECT_TRUE(size12->isChecked());

    EXPECT_EQ(panel->turnSoundName(), "turn");
    newTurn->trigger();
    EXPECT_EQ(panel->turnSoundName(), "turnnew");
    EXPECT_FALSE(classic->isChecked());

    scroll->trigger();
    EXPECT_TRUE(panel->view()->scrollOff());
    EXPECT_TRUE(panel->options().scrollOff);
    EXPECT_EQ(changed.count(), 3);

    ChatOptions o = panel->options();
    o.textSize = 9; // no menu entry: none ticked
    panel->applyOptions(o);
    for (QAction *a : {size10, size12})
        EXPECT_FALSE(a->isChecked());
    EXPECT_EQ(panel->view()->textSize(), 9);
}

TEST_F(ChatPanelTest, ClearChatReturnsFocusToTheEntry) {
    panel->activateWindow();
    panel->addlinetochat(0, "something", kColourGreen);
    panel->view()->setFocus();
    panel->view()->clearAction()->trigger();
    EXPECT_TRUE(panel->view()->toPlainText().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([this] { return panel->entry()->hasFocus(); }, 1000));
}
