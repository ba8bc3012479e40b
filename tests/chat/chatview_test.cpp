#include "client/chat/chatview.h"
#include "client/chat/colortext.h"
#include "client/chat/smilies.h"
#include "tests/chat/qtapp.h"

#include <QAction>
#include <QClipboard>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct TextRun {
    QString text;
    QTextCharFormat format;
};

QList<TextRun> runsOf(const QTextBlock &block) {
    QList<TextRun> runs;
    for (auto it = block.begin(); !it.atEnd(); ++it)
        runs.append({it.fragment().text(), it.fragment().charFormat()});
    return runs;
}

QTextBlock lastBlock(const ChatView &view) {
    return view.document()->lastBlock();
}

QList<QTextFragment> linkFragments(const ChatView &view) {
    QList<QTextFragment> links;
    for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor())
                links.append(it.fragment());
    return links;
}

class ChatViewTest : public WithQtApp, public ::testing::Test {
protected:
    void SetUp() override {
        qtApp();
        view.resize(ChatView::kWidth, ChatView::kHeight);
        view.setLinkOpener([this](const QUrl &url) {
            opened.append(url.toString());
            return true;
        });
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    // Clicks the middle of the link fragment, as a user would.
    void click(const QTextFragment &link) {
        QTextCursor c(view.document());
        c.setPosition(link.position() + link.length() / 2);
        view.setTextCursor(c);
        view.ensureCursorVisible();
        const QRect r = view.cursorRect(c);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, r.center());
    }

    ChatView view;
    QStringList opened;
};

} // namespace

TEST_F(ChatViewTest, SystemLineIsOneBoldGreenParagraphWithEmptyHead) {
    view.addlinetochat(0, "You are Connected.", kColourGreen);
    ASSERT_EQ(view.document()->blockCount(), 1);
    EXPECT_EQ(lastBlock(view).text(), " You are Connected. ");
    for (const TextRun &run : runsOf(lastBlock(view))) {
        EXPECT_EQ(run.format.foreground().color(), QColor(0, 128, 0));
        EXPECT_EQ(run.format.fontWeight(), QFont::Bold);
        EXPECT_EQ(run.format.intProperty(ChatView::kStyleProperty), 0);
    }
    view.addlinetochat(0, "Second line", kColourGreen);
    EXPECT_EQ(view.document()->blockCount(), 2);
}

TEST_F(ChatViewTest, SeatLinesUseSeatPlusFiveAndShareTheirStyle) {
    view.addlinetochat(1, "Alice chats: see www.example.com", 0x0000FF);
    QList<TextRun> runs = runsOf(lastBlock(view));
    ASSERT_GE(runs.size(), 2);
    EXPECT_TRUE(runs[0].text.startsWith("Alice chats: "));
    EXPECT_EQ(runs[0].format.intProperty(ChatView::kStyleProperty), 6);
    EXPECT_EQ(runs[0].format.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(runs.last().text, "www.example.com ");
    EXPECT_TRUE(runs.last().format.isAnchor());
    EXPECT_TRUE(runs.last().format.fontUnderline());
    EXPECT_EQ(runs.last().format.intProperty(ChatView::kStyleProperty), ChatView::kLinkStyle);

    // A second line of the same seat in another colour recolours the first.
    view.addlinetochat(1, "Alice chats: now blue", 0xFF0000);
    const QTextBlock first = view.document()->firstBlock();
    EXPECT_EQ(runsOf(first)[0].format.foreground().color(), QColor(0, 0, 255));
    // ... but not another seat's lines, nor the link.
    view.addlinetochat(4, "Dan chats: hi", 0x00FF00);
    EXPECT_EQ(runsOf(first)[0].format.foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(runsOf(first).last().format.foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(runsOf(lastBlock(view))[0].format.intProperty(ChatView::kStyleProperty), 9);
}

TEST_F(ChatViewTest, LinesOfSeatsOutsideTheSlotsAreDropped) {
    view.addlinetochat(0, "first", kColourGreen);
    for (int seat : {-1, 10, 2147483647})
        view.addlinetochat(seat, "a seat no slot has", kColourGreen);
    EXPECT_EQ(view.document()->blockCount(), 1);
    view.addlinetochat(9, "last watcher: hi", 0x0000FF);
    EXPECT_EQ(view.document()->blockCount(), 2);
    EXPECT_EQ(lastBlock(view).text(), "last watcher:  hi ");
}

TEST_F(ChatViewTest, MarkupInChatTextShowsLiterally) {
    // The head is followed by one space, and the body keeps its own leading one.
    view.addlinetochat(1, "Eve chats: <b>bold</b> <img src=\"x.png\"> &amp;", 0);
    EXPECT_EQ(lastBlock(view).text(), "Eve chats:  <b>bold</b> <img src=\"x.png\"> &amp; ");
    for (const TextRun &run : runsOf(lastBlock(view))) {
        EXPECT_FALSE(run.format.isImageFormat());
        EXPECT_EQ(run.format.fontWeight(), QFont::Bold); // the line's own bold, nothing more
    }
    EXPECT_TRUE(view.toPlainText().contains("<b>bold</b>"));
}

TEST_F(ChatViewTest, SmiliesBecomeInlinePictures) {
    auto pictures = [this] {
        QStringList names;
        for (const TextRun &run : runsOf(lastBlock(view)))
            if (run.format.isImageFormat())
                names.append(run.format.toImageFormat().name());
        return names;
    };
    view.addlinetochat(1, "Bob chats: hi:)#15", 0);
    EXPECT_EQ(pictures(), QStringList{ChatView::smileyName(5)});
    EXPECT_TRUE(lastBlock(view).text().startsWith("Bob chats:  hi "));

    // The picture the view shows is the embedded smiley.
    const QImage shown =
        view.loadResource(QTextDocument::ImageResource, QUrl(ChatView::smileyName(5)))
            .value<QImage>();
    EXPECT_EQ(shown.size(), QSize(17, 16));
    EXPECT_EQ(shown, QImage(":/pictures/smiley15.png"));
    EXPECT_NE(shown, smilies::image(0));

    view.addlinetochat(1, "Bob chats: :)#9x and :)#27:)#10 end", 0);
    EXPECT_EQ(pictures(), (QStringList{ChatView::smileyName(0), ChatView::smileyName(17),
                                       ChatView::smileyName(0)}));
    EXPECT_TRUE(lastBlock(view).text().endsWith(" end "));

    // A marker cut short at the end still shows picture 0 and nothing else.
    view.addlinetochat(1, "Bob chats: bye:)#2", 0);
    EXPECT_EQ(pictures(), QStringList{ChatView::smileyName(0)});
    // In the head a smiley code is plain text.
    view.addlinetochat(1, "x:)#15 chats: y", 0);
    EXPECT_TRUE(pictures().isEmpty());
}

TEST_F(ChatViewTest, ClickOpensExactlyTheShownLink) {
    view.addlinetochat(1, "Alice chats: see www.example.com now", 0);
    view.addlinetochat(2, "Bob chats: http://example.org/a?b=1&c=2 and https://example.net/x", 0);
    const auto links = linkFragments(view);
    ASSERT_EQ(links.size(), 3);
    click(links[0]);
    click(links[1]);
    click(links[2]);
    EXPECT_EQ(opened, (QStringList{"http://www.example.com", "http://example.org/a?b=1&c=2",
                                   "https://example.net/x"}));
}

TEST_F(ChatViewTest, OnlyWebAddressesAreEverOpened) {
    view.addlinetochat(1,
                       "Mallory chats: javascript:alert('http://x') file://www.host/etc/passwd "
                       "xhttp://evil.example ftp://www.example.com",
                       0);
    const auto links = linkFragments(view);
    ASSERT_EQ(links.size(), 4); // shown as links, since they mention an address
    for (const auto &link : links)
        click(link);
    EXPECT_TRUE(opened.isEmpty()) << opened.join(' ').toStdString();

    EXPECT_FALSE(ChatView::linkTarget("file:///etc/passwd").has_value());
    EXPECT_FALSE(ChatView::linkTarget("javascript:alert(1)").has_value());
    EXPECT_FALSE(ChatView::linkTarget("http://").has_value());
    EXPECT_EQ(ChatView::linkTarget("www.a.com  ").value(), QUrl("http://www.a.com"));
}

// An invitation goes to the game's own Join dialog, never to the desktop,
// and only when it holds nothing but a host and a port.
TEST_F(ChatViewTest, InvitationLinksGoToTheJoinDialog) {
    QStringList invited;
    view.setInvitationOpener([&](const QString &link) { invited << link; });
    view.addlinetochat(1,
                       "Ann chats: zorble://10.0.0.5:7772 zorble://x:1/../../etc "
                       "ZORBLE://[::1]:7800",
                       0);
    const auto links = linkFragments(view);
    ASSERT_EQ(links.size(), 3);
    for (const auto &link : links)
        click(link);
    EXPECT_EQ(invited, (QStringList{"zorble://10.0.0.5:7772", "ZORBLE://[::1]:7800"}));
    EXPECT_TRUE(opened.isEmpty()) << opened.join(' ').toStdString();
}

TEST_F(ChatViewTest, LinksKeepTheirTargetsPastAHundredAndAfterClearing) {
    for (int i = 0; i < 130; ++i)
        view.addlinetochat(1, QStringLiteral("A chats: www.site%1.com").arg(i), 0);
    auto links = linkFragments(view);
    ASSERT_EQ(links.size(), 130);
    click(links[3]);
    click(links[101]);
    click(links[129]);
    EXPECT_EQ(opened, (QStringList{"http://www.site3.com", "http://www.site101.com",
                                   "http://www.site129.com"}));

    QSignalSpy cleared(&view, &ChatView::chatCleared);
    view.clearAction()->trigger();
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_TRUE(view.toPlainText().isEmpty());
    opened.clear();
    view.addlinetochat(1, "A chats: www.after.com", 0);
    links = linkFragments(view);
    ASSERT_EQ(links.size(), 1);
    click(links[0]);
    EXPECT_EQ(opened, QStringList{"http://www.after.com"});
}

TEST_F(ChatViewTest, ScrollChatOffKeepsTheViewWhereItIs) {
    for (int i = 0; i < 60; ++i)
        view.addlinetochat(0, QStringLiteral("line %1").arg(i), kColourGreen);
    QScrollBar *bar = view.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    view.scrollOffAction()->trigger();
    ASSERT_TRUE(view.scrollOff());
    bar->setValue(0);
    const int before = bar->maximum();
    for (int i = 0; i < 20; ++i)
        view.addlinetochat(0, QStringLiteral("more %1").arg(i), kColourGreen);
    QCoreApplication::processEvents();
    EXPECT_GT(bar->maximum(), before);
    EXPECT_EQ(bar->value(), 0);

    view.setScrollOff(false);
    view.addlinetochat(0, "last", kColourGreen);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(ChatViewTest, TextSizeReachesEveryStyleAndLine) {
    view.addlinetochat(0, "system", kColourGreen);
    view.addlinetochat(3, "Carol chats: www.c.com", 0);
    view.setTextSize(14);
    for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next())
        for (const TextRun &run : runsOf(b))
            EXPECT_EQ(run.format.fontPointSize(), 14) << run.text.toStdString();
    for (int s = 0; s < ChatView::kStyleCount; ++s)
        EXPECT_EQ(view.styleFormat(s).fontPointSize(), 14);
    view.addlinetochat(4, "Dan chats: later", 0);
    EXPECT_EQ(runsOf(lastBlock(view))[0].format.fontPointSize(), 14);
}

TEST_F(ChatViewTest, SelectAllAndCopyPutTheChatOnTheClipboard) {
    view.addlinetochat(1, "Alice chats: <i>hello</i>", 0);
    QApplication::clipboard()->clear();
    view.selectAllAction()->trigger();
    view.copyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "Alice chats:  <i>hello</i> ");

    // Smilies copy as their codes; lines end with a line break.
    view.addlinetochat(2, "Bob chats: hi:)#15 and:)#x", 0);
    view.selectAllAction()->trigger();
    view.copyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              "Alice chats:  <i>hello</i> \nBob chats:  hi :)#15 and :)#10");
}

TEST_F(ChatViewTest, ALinkThatCannotBeOpenedSaysSo) {
    view.setLinkOpener([](const QUrl &) { return false; });
    view.addlinetochat(1, "Alice chats: www.example.com", 0);
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    click(linkFragments(view).at(0));
    EXPECT_EQ(shown.toStdString(), "Cannot open Webpage");
    EXPECT_EQ(view.document()->blockCount(), 1); // the chat stays as it was
}

TEST_F(ChatViewTest, ALongWordShowsWholeAndCopiesBackExactly) {
    // Letters, letters with combining marks, characters outside the BMP, a long address.
    QString word;
    for (int i = 0; i < 400; ++i)
        word += (i % 3 == 0)   ? QStringLiteral("a\u0301")
                : (i % 3 == 1) ? QString::fromUcs4(U"\U0001F600", 1)
                               : QStringLiteral("z");
    const QString address = QStringLiteral("https://example.org/") + QString(60, u'p');
    view.addlinetochat(1, "Eve chats: " + word + " " + address, 0);

    const QString shown = lastBlock(view).text();
    QString withoutBreaks = shown;
    withoutBreaks.remove(QChar(0x200B));
    EXPECT_EQ(withoutBreaks.toStdString(),
              ("Eve chats:  " + word + " " + address + " ").toStdString());
    int breaksInsideACharacter = 0;
    for (qsizetype i = 0; i + 1 < shown.size(); ++i)
        if (shown[i] == QChar(0x200B) && (shown[i + 1].isLowSurrogate() || shown[i + 1].isMark()))
            ++breaksInsideACharacter;
    EXPECT_EQ(breaksInsideACharacter, 0);

    view.selectAllAction()->trigger();
    view.copyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              ("Eve chats:  " + word + " " + address + " ").toStdString());
    click(linkFragments(view).at(0));
    EXPECT_EQ(opened, QStringList{address});
}

TEST_F(ChatViewTest, PastTheLimitTheOldestLinesGoAndTheRestKeepColoursAndLinks) {
    // Seat 1 lines hold a link; seat 2 lines are green.
    const int total = ChatView::kMaxLines + 1;
    for (int i = 0; i < total; ++i)
        view.addlinetochat(i % 2 ? 2 : 1,
                           i % 2 ? QStringLiteral("Bob chats: line %1").arg(i)
                                 : QStringLiteral("Al chats: line %1 www.s%1.com").arg(i),
                           i % 2 ? 0x008000 : 0x0000FF);
    const int kept = ChatView::kMaxLines - ChatView::kTrimmedLines;
    ASSERT_EQ(view.document()->blockCount(), kept);
    EXPECT_TRUE(view.document()->firstBlock().text().contains(
        QStringLiteral("line %1 ").arg(total - kept)));
    const int firstWithLink = (total - kept + 1) / 2 * 2;
    const auto links = linkFragments(view);
    ASSERT_EQ(links.size(), (total - firstWithLink + 1) / 2);
    click(links.first());
    click(links.last());
    EXPECT_EQ(opened, (QStringList{QStringLiteral("http://www.s%1.com").arg(firstWithLink),
                                   QStringLiteral("http://www.s%1.com").arg(total - 1)}));

    // Seat 1 changes colour: its latest lines follow, seat 2's keep theirs.
    view.addlinetochat(1, "Al chats: now blue", 0xFF0000);
    const QTextBlock lastOfSeat1 = lastBlock(view).previous();
    ASSERT_TRUE(lastOfSeat1.text().startsWith("Al chats:"));
    EXPECT_EQ(runsOf(lastOfSeat1)[0].format.foreground().color(), QColor(0, 0, 255));
    for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next()) {
        for (const TextRun &run : runsOf(b)) {
            if (run.format.intProperty(ChatView::kStyleProperty) == 7) {
                ASSERT_EQ(run.format.foreground().color(), QColor(0, 128, 0))
                    << b.text().toStdString();
            }
        }
    }
}

TEST_F(ChatViewTest, AReaderScrolledBackKeepsTheSameTextInSightWhenOldLinesGo) {
    for (int i = 0; i < ChatView::kMaxLines; ++i)
        view.addlinetochat(0, QStringLiteral("line %1").arg(i), kColourGreen);
    view.setScrollOff(true);
    QScrollBar *bar = view.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    QCoreApplication::processEvents();
    const QString before = view.cursorForPosition(QPoint(20, 20)).block().text();
    view.addlinetochat(0, "one more", kColourGreen);
    QCoreApplication::processEvents();
    ASSERT_LT(view.document()->blockCount(), ChatView::kMaxLines);
    EXPECT_EQ(view.cursorForPosition(QPoint(20, 20)).block().text(), before);
}
