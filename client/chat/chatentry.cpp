#include "client/chat/chatentry.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

ChatEntry::ChatEntry(QWidget *parent) : QLineEdit(parent), colour_(Qt::black) {
    setObjectName(QStringLiteral("edit_chat"));
    setText(kPrompt);
    connect(this, &QLineEdit::textChanged, this, &ChatEntry::showColour);
    showColour();
}

void ChatEntry::showColour() {
    QPalette pal = palette();
    pal.setColor(QPalette::Text, showsPrompt() ? QColor(192, 192, 192) : colour_);
    setPalette(pal);
}

void ChatEntry::setTextColour(const QColor &colour) {
    colour_ = colour;
    showColour();
}

void ChatEntry::clearPrompt() {
    if (showsPrompt())
        clear();
}

void ChatEntry::append(const QString &more) {
    setText(text() + more);
    setCursorPosition(int(text().size()));
}

void ChatEntry::pasteAtEnd() {
    const QString clip = QApplication::clipboard()->text();
    if (clip.isEmpty())
        return;
    clearPrompt();
    // One line: line breaks of the clipboard text become spaces.
    QString line = clip;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    append(line);
}

void ChatEntry::keyPressEvent(QKeyEvent *event) {
    // Any key but a lone modifier clears the prompt first, Enter included:
    // the prompt itself is never sent.
    const int key = event->key();
    if (key != Qt::Key_Shift && key != Qt::Key_Control && key != Qt::Key_Alt &&
        key != Qt::Key_Meta && key != Qt::Key_AltGr)
        clearPrompt();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        emit enterPressed();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        pasteAtEnd();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ChatEntry::contextMenuEvent(QContextMenuEvent *event) {
    QMenu menu(this);
    QAction *paste = menu.addAction(QStringLiteral("Paste"));
    paste->setShortcut(QKeySequence::Paste);
    paste->setEnabled(!QApplication::clipboard()->text().isEmpty());
    connect(paste, &QAction::triggered, this, &ChatEntry::pasteAtEnd);
    menu.exec(event->globalPos());
}
