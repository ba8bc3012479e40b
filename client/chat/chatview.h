#pragma once

// The chat view: a read-only rich-text view that shows every chat line from
// the host and from this client, with per-seat styles, inline smilies and
// clickable links.
//
// Chat text comes from the network: it is only ever inserted as plain text
// with character formats, never interpreted as markup.

#include <QColor>
#include <QHash>
#include <QTextBrowser>
#include <QTextCharFormat>
#include <QUrl>

#include <array>
#include <functional>
#include <optional>

class QAction;

class ChatView : public QTextBrowser {
    Q_OBJECT
public:
    static constexpr int kStyleCount = 15;
    static constexpr int kMaxSeat = 9; // the highest slot that speaks
    static constexpr int kLinkStyle = 4;
    static constexpr int kDefaultTextSize = 10;
    // The size the view is laid out at in the chat column.
    static constexpr int kWidth = 299;
    static constexpr int kHeight = 274;
    // The chat keeps its latest lines: once there are more than kMaxLines,
    // the oldest go and kMaxLines - kTrimmedLines remain. Removing lines lays
    // out the rest again, so it is done in batches.
    static constexpr int kMaxLines = 1000;
    static constexpr int kTrimmedLines = 100;

    // Hands a link's address to the desktop; answers false when that failed.
    using LinkOpener = std::function<bool(const QUrl &)>;

    explicit ChatView(QWidget *parent = nullptr);

    // Adds one line from a seat: 0 for the program's own notices, else the
    // speaker's slot 1..9. colour is 0x00BBGGRR. A line from any other seat
    // is dropped with a note on stderr.
    void addlinetochat(int seat, const QString &text, quint32 colour);

    // The address a link showing this text opens: http and https addresses as
    // they stand, "www." words with "http://" in front, and invitations to a
    // game (zorble://host:port and nothing more); nothing otherwise.
    static std::optional<QUrl> linkTarget(const QString &shownText);
    void setLinkOpener(LinkOpener opener) { opener_ = std::move(opener); }
    // Who takes an invitation link that is clicked (the Join dialog);
    // without one such a link does nothing.
    void setInvitationOpener(std::function<void(const QString &)> opener) {
        invitationOpener_ = std::move(opener);
    }

    // The font size of all styles.
    void setTextSize(int points);
    int textSize() const { return styles_[0].size; }

    void setScrollOff(bool off);
    bool scrollOff() const;

    // "Clear Chat": empties the view.
    void clearChat();

    // The shared actions of the pop-up menu; "Scroll Chat Off" is also meant
    // for the window's Options menu so that both show one state.
    QAction *selectAllAction() const { return selectAll_; }
    QAction *copyAction() const { return copy_; }
    QAction *clearAction() const { return clear_; }
    QAction *scrollOffAction() const { return scrollOff_; }

    // The character format style n currently gives its text.
    QTextCharFormat styleFormat(int style) const;

    // Property of every inserted run: the style it belongs to.
    static constexpr int kStyleProperty = QTextFormat::UserProperty + 1;
    // Property of link runs: the link's number in this view.
    static constexpr int kLinkProperty = QTextFormat::UserProperty + 2;
    // Image name of smiley picture n: "smiley:" n.
    static QString smileyName(int index);

signals:
    // "Clear Chat" emptied the view (the chat column gives the entry line focus).
    void chatCleared();

public:
    // The view's pictures: only the smilies; no file or network is ever read.
    QVariant loadResource(int type, const QUrl &name) override;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    // Copies plain text, with each smiley written back as its code.
    QMimeData *createMimeDataFromSelection() const override;

private:
    struct Style {
        QColor colour;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        int size = kDefaultTextSize;
    };

    void mainchatJump(const QUrl &href);
    void addWords(QTextCursor &cursor, QStringView piece, const QTextCharFormat &format);
    // Inserts text and remembers where it stands when it belongs to a style.
    void insertStyled(QTextCursor &cursor, const QString &text, const QTextCharFormat &format);
    QTextCharFormat formatOf(const Style &style, int index) const;
    static QTextCharFormat lookOf(const Style &style);
    // Gives every styled run its style's current look (a new text size).
    void restyleAll();
    // Gives the style's latest runs its new colour and weight. Older runs, long
    // scrolled away, keep theirs: that bounds the work of a line however long
    // the chat or however often a speaker changes colour.
    void restyleRecent(int style);
    // Removes the oldest lines once there are more than kMaxLines.
    void trimHistory();

    static constexpr int kRecolouredRuns = 200;
    // Recolouring lays the lines it touches out again: it stops at the run
    // whose line would take the text laid out past this many characters.
    static constexpr int kRecolouredChars = 16 * 1024;

    std::array<Style, kStyleCount> styles_;
    std::array<QList<std::pair<int, int>>, kStyleCount> recent_; // (start, length) per style
    QString family_;
    QHash<qint64, QString> links_; // link number -> the text shown
    qint64 nextLink_ = 0;
    LinkOpener opener_;
    std::function<void(const QString &)> invitationOpener_;
    QAction *selectAll_ = nullptr;
    QAction *copy_ = nullptr;
    QAction *clear_ = nullptr;
    QAction *scrollOff_ = nullptr;
};
