#include "client/chat/chatview.h"

#include "client/chat/colortext.h"
#include "client/chat/smilies.h"
#include "clientcore/joinaddress.h"
#include "net/protocol.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>
#include <variant>

namespace {

constexpr char kLinkScheme[] = "zorble-link";

void logDropped(const char *what, const QString &line) {
    std::fprintf(stderr, "zorble: dropped chat line (%s): %s\n", what,
                 qPrintable(proto::cut(line, 80)));
}

bool isLinkWord(const QString &word) {
    return word.contains(QLatin1String("http://"), Qt::CaseInsensitive) ||
           word.contains(QLatin1String("https://"), Qt::CaseInsensitive) ||
           word.contains(QLatin1String("zorble://"), Qt::CaseInsensitive) ||
           word.contains(QLatin1String("www."), Qt::CaseInsensitive);
}

// A word wider than the view is broken across lines anywhere, but only after
// the layout has looked for the word's end from every line it starts: a word
// of n characters costs n * n. A zero-width space between every few
// characters (never inside one character as shown) gives a break nearby.
constexpr QChar kSoftBreak(0x200B);
constexpr qsizetype kLongWord = 32;
constexpr qsizetype kSoftBreakEvery = 8;

QString withSoftBreaks(const QString &word) {
    if (word.size() <= kLongWord)
        return word;
    QString out;
    out.reserve(word.size() + word.size() / kSoftBreakEvery + 1);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, word);
    qsizetype from = 0;
    for (qsizetype at = graphemes.toNextBoundary(); at > 0 && at < word.size();
         at = graphemes.toNextBoundary()) {
        if (at - from < kSoftBreakEvery)
            continue;
        out.append(QStringView(word).sliced(from, at - from));
        out.append(kSoftBreak);
        from = at;
    }
    out.append(QStringView(word).sliced(from));
    return out;
}

} // namespace

ChatView::ChatView(QWidget *parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("mainchat"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    document()->setDocumentMargin(5);

    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);

    family_ = QStringLiteral("Arial");
    const QColor windowText = palette().color(QPalette::WindowText);
    const QColor blue(0, 0, 255), navy(0, 0, 128), maroon(128, 0, 0), green(0, 128, 0),
        silver(192, 192, 192);
    styles_[0] = {blue, false, false, false, kDefaultTextSize};
    styles_[1] = {blue, true, false, false, kDefaultTextSize};
    styles_[2] = {navy, true, false, false, kDefaultTextSize};
    styles_[3] = {maroon, false, true, false, kDefaultTextSize};
    styles_[4] = {green, false, false, true, kDefaultTextSize};
    styles_[5] = {green, false, false, true, kDefaultTextSize};
    styles_[6] = styles_[7] = {silver, false, false, false, kDefaultTextSize};
    for (int i = 8; i < kStyleCount; ++i)
        styles_[i] = {windowText, false, false, false, kDefaultTextSize};

    opener_ = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    connect(this, &QTextBrowser::anchorClicked, this, &ChatView::mainchatJump);

    selectAll_ = new QAction(QStringLiteral("Select All"), this);
    connect(selectAll_, &QAction::triggered, this, &QTextEdit::selectAll);
    copy_ = new QAction(QStringLiteral("Copy"), this);
    copy_->setShortcut(QKeySequence(QKeySequence::Copy));
    copy_->setShortcutContext(Qt::WidgetShortcut);
    connect(copy_, &QAction::triggered, this, &QTextEdit::copy);
    clear_ = new QAction(QStringLiteral("Clear Chat"), this);
    connect(clear_, &QAction::triggered, this, &ChatView::clearChat);
    scrollOff_ = new QAction(QStringLiteral("Scroll Chat Off"), this);
    scrollOff_->setCheckable(true);
    scrollOff_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
}

QString ChatView::smileyName(int index) {
    return QStringLiteral("smiley:%1").arg(index);
}

QVariant ChatView::loadResource(int type, const QUrl &name) {
    if (type == QTextDocument::ImageResource && name.scheme() == QLatin1String("smiley")) {
        const auto n = proto::toInt(name.path());
        return smilies::image(n ? *n : 0);
    }
    // Nothing else is ever loaded: no files, no network.
    return {};
}

QTextCharFormat ChatView::formatOf(const Style &style, int index) const {
    QTextCharFormat f;
    f.setFontFamilies({family_});
    f.setFontPointSize(style.size);
    f.setForeground(style.colour);
    f.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(style.italic);
    f.setFontUnderline(style.underline);
    f.setProperty(kStyleProperty, index);
    return f;
}

QTextCharFormat ChatView::styleFormat(int style) const {
    if (style < 0 || style >= kStyleCount)
        return {};
    return formatOf(styles_[style], style);
}

QTextCharFormat ChatView::lookOf(const Style &style) {
    QTextCharFormat look;
    look.setFontPointSize(style.size);
    look.setForeground(style.colour);
    look.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    return look;
}

void ChatView::restyleAll() {
    struct Run {
        int start;
        int length;
        int style;
    };
    QList<Run> runs;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.hasProperty(kStyleProperty) || format.isImageFormat())
                continue;
            const int style = format.intProperty(kStyleProperty);
            if (style >= 0 && style < kStyleCount)
                runs.append({fragment.position(), fragment.length(), style});
        }
    }
    if (runs.isEmpty())
        return;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (const Run &run : runs) {
        cursor.setPosition(run.start);
        cursor.setPosition(run.start + run.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(lookOf(styles_[run.style]));
    }
    cursor.endEditBlock();
}

void ChatView::restyleRecent(int style) {
    const QList<std::pair<int, int>> &runs = recent_[size_t(style)];
    if (runs.isEmpty())
        return;
    // From the newest run back, while the lines they stand in stay within the budget.
    auto first = runs.cend();
    int laidOut = 0;
    QTextBlock counted;
    while (first != runs.cbegin()) {
        const QTextBlock block = document()->findBlock((first - 1)->first);
        if (block != counted) {
            laidOut += block.length();
            if (laidOut > kRecolouredChars && first != runs.cend())
                break;
            counted = block;
        }
        --first;
    }
    const QTextCharFormat look = lookOf(styles_[size_t(style)]);
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (auto run = first; run != runs.cend(); ++run) {
        cursor.setPosition(run->first);
        cursor.setPosition(run->first + run->second, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(look);
    }
    cursor.endEditBlock();
}

void ChatView::insertStyled(QTextCursor &cursor, const QString &text,
                            const QTextCharFormat &format) {
    const int start = cursor.position();
    cursor.insertText(text, format);
    const int style = format.hasProperty(kStyleProperty) ? format.intProperty(kStyleProperty) : -1;
    if (style < 0 || style >= kStyleCount || text.isEmpty())
        return;
    // The view only ever grows at its end (or is emptied), so these places stay valid.
    QList<std::pair<int, int>> &runs = recent_[size_t(style)];
    if (!runs.isEmpty() && runs.last().first + runs.last().second == start) {
        runs.last().second += int(text.size());
        return;
    }
    runs.append({start, int(text.size())});
    if (runs.size() > kRecolouredRuns)
        runs.removeFirst();
}

void ChatView::addlinetochat(int seat, const QString &text, quint32 colour) {
    if (seat < 0 || seat > kMaxSeat) {
        logDropped("bad seat", QString::number(seat) + QLatin1Char('+') + text);
        return;
    }
    // The notices and each slot 1..9 have a style of their own, which all
    // their lines share.
    const int style = seat == 0 ? 0 : seat + 5;
    Style &s = styles_[size_t(style)];
    const QColor c = toQColor(colour);
    if (s.colour != c || !s.bold) {
        s.colour = c;
        s.bold = true;
        // A style is shared: its earlier lines take on the new look too.
        restyleRecent(style);
    }
    const QTextCharFormat format = formatOf(s, style);

    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString head = colon >= 0 ? text.left(colon + 1) : QString();
    const QString body = colon >= 0 ? text.mid(colon + 1) : text;

    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (!document()->isEmpty())
        cursor.insertBlock();
    insertStyled(cursor, head + QLatin1Char(' '), format);

    const QLatin1String marker(smilies::kMarker);
    qsizetype from = 0;
    for (qsizetype at = body.indexOf(marker); at >= 0; at = body.indexOf(marker, from)) {
        addWords(cursor, QStringView(body).mid(from, at - from), format);
        const QString code = body.mid(at + marker.size(), 2);
        from = at + marker.size() + code.size();
        QTextImageFormat picture;
        picture.setName(smileyName(smilies::indexOfCode(code)));
        picture.setWidth(17);
        picture.setHeight(16);
        picture.setVerticalAlignment(QTextCharFormat::AlignMiddle);
        cursor.insertImage(picture);
    }
    if (from < body.size())
        addWords(cursor, QStringView(body).mid(from), format);
    cursor.endEditBlock();
    trimHistory();

    if (!scrollOff()) {
        // Lay the text out now so that the scroll range includes the new line.
        document()->documentLayout()->documentSize();
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    }
}

void ChatView::trimHistory() {
    QTextDocument *doc = document();
    if (doc->blockCount() <= kMaxLines)
        return;
    const QTextBlock firstKept =
        doc->findBlockByNumber(doc->blockCount() - (kMaxLines - kTrimmedLines));
    const int removed = firstKept.position();
    for (QTextBlock b = doc->begin(); b != firstKept; b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().hasProperty(kLinkProperty))
                links_.remove(it.fragment().charFormat().property(kLinkProperty).toLongLong());
    // A reader who scrolled back keeps the same text in sight.
    const QAbstractTextDocumentLayout *layout = doc->documentLayout();
    const int shift = int(layout->blockBoundingRect(firstKept).top() -
                          layout->blockBoundingRect(doc->begin()).top());
    QTextCursor cursor(doc);
    cursor.setPosition(removed, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    for (auto &runs : recent_) {
        qsizetype gone = 0;
        while (gone < runs.size() && runs[gone].first < removed)
            ++gone;
        runs.remove(0, gone);
        for (auto &run : runs)
            run.first -= removed;
    }
    if (scrollOff())
        verticalScrollBar()->setValue(verticalScrollBar()->value() - shift);
}

void ChatView::addWords(QTextCursor &cursor, QStringView piece, const QTextCharFormat &format) {
    // Each word keeps its following space; the piece's end counts as one more space.
    qsizetype from = 0;
    while (from <= piece.size()) {
        const qsizetype space = piece.indexOf(QLatin1Char(' '), from);
        const qsizetype end = space < 0 ? piece.size() : space;
        const QString word = piece.mid(from, end - from).toString() + QLatin1Char(' ');
        const QString shown = withSoftBreaks(word);
        from = end + 1;
        if (isLinkWord(word)) {
            const qint64 number = nextLink_++;
            links_.insert(number, word);
            QTextCharFormat link = formatOf(styles_[kLinkStyle], kLinkStyle);
            link.setAnchor(true);
            link.setAnchorHref(QString::fromLatin1(kLinkScheme) + QLatin1Char(':') +
                               QString::number(number));
            link.setProperty(kLinkProperty, number);
            cursor.insertText(shown, link);
        } else {
            insertStyled(cursor, shown, format);
        }
    }
}

std::optional<QUrl> ChatView::linkTarget(const QString &shownText) {
    QString text = shownText;
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    if (join::isLink(text)) {
        if (!std::holds_alternative<join::Address>(join::parse(text)))
            return std::nullopt;
        return QUrl(text);
    }
    QString address;
    if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        address = QStringLiteral("http://") + text;
    else if (text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
             text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        address = text;
    else
        return std::nullopt;
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    return url;
}

void ChatView::mainchatJump(const QUrl &href) {
    if (href.scheme() != QLatin1String(kLinkScheme))
        return;
    bool ok = false;
    const qint64 number = href.path().toLongLong(&ok);
    if (!ok)
        return;
    const auto shown = links_.constFind(number);
    if (shown == links_.cend())
        return;
    const auto url = linkTarget(*shown);
    if (!url)
        return;
    if (join::isLink(*shown)) {
        if (invitationOpener_)
            invitationOpener_(shown->trimmed());
        return;
    }
    if (opener_ && !opener_(*url))
        QMessageBox::warning(this, QStringLiteral("Zorble"), QStringLiteral("Cannot open Webpage"));
}

void ChatView::setTextSize(int points) {
    if (points <= 0)
        return;
    for (Style &s : styles_)
        s.size = points;
    restyleAll();
}

void ChatView::setScrollOff(bool off) {
    scrollOff_->setChecked(off);
}

bool ChatView::scrollOff() const {
    return scrollOff_->isChecked();
}

void ChatView::clearChat() {
    clear();
    links_.clear();
    for (auto &runs : recent_)
        runs.clear();
    document()->setDocumentMargin(5);
    emit chatCleared();
}

void ChatView::contextMenuEvent(QContextMenuEvent *event) {
    QMenu menu(this);
    copy_->setEnabled(textCursor().hasSelection());
    menu.addAction(selectAll_);
    menu.addAction(copy_);
    menu.addAction(clear_);
    menu.addSeparator();
    menu.addAction(scrollOff_);
    menu.exec(event->globalPos());
    copy_->setEnabled(true);
}

QMimeData *ChatView::createMimeDataFromSelection() const {
    const QTextCursor selection = textCursor();
    const int start = selection.selectionStart();
    const int end = selection.selectionEnd();
    QString text;
    for (QTextBlock block = document()->findBlock(start);
         block.isValid() && block.position() <= end; block = block.next()) {
        if (block.position() > start)
            text.append(QLatin1Char('\n'));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(start, fragment.position());
            const int to = std::min(end, fragment.position() + fragment.length());
            if (from >= to)
                continue;
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                const QString name = format.toImageFormat().name();
                const int index =
                    proto::toInt(QStringView(name).mid(name.indexOf(QLatin1Char(':')) + 1))
                        .value_or(0);
                for (int i = from; i < to; ++i)
                    text.append(QLatin1String(smilies::kMarker) +
                                QString::number(index + smilies::kFirstCode));
            } else {
                // Without the breaks the view put into long words (and so
                // without any zero-width space the text came with).
                text.append(
                    fragment.text().mid(from - fragment.position(), to - from).remove(kSoftBreak));
            }
        }
    }
    auto *mime = new QMimeData;
    mime->setText(text);
    return mime;
}
