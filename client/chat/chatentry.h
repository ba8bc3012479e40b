#pragma once

// The chat entry line. It shows "<Enter Chat Here>" in silver until the
// first key; Enter is reported (and swallowed) instead of being handled;
// paste appends the clipboard's text at the end.

#include <QLineEdit>

class ChatEntry : public QLineEdit {
    Q_OBJECT
public:
    static inline const QString kPrompt = QStringLiteral("<Enter Chat Here>");

    explicit ChatEntry(QWidget *parent = nullptr);

    bool showsPrompt() const { return text() == kPrompt; }
    // Empties the line when it shows the prompt.
    void clearPrompt();
    // Appends text at the end and puts the caret there.
    void append(const QString &more);
    // Appends the clipboard's text, when it holds text.
    void pasteAtEnd();
    // The colour typed text is shown in.
    void setTextColour(const QColor &colour);

signals:
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void showColour();
    QColor colour_;
};
