#pragma once

#include <QDialog>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// File > Join a Game: the games found on the local network, a field for an
// address (with the hosts last joined), and a line for what is happening or
// what went wrong. It only shows what it is given and tells what the player
// chose; the game behind it goes on.
class JoinDialog : public QDialog {
    Q_OBJECT
public:
    // One line of the list: `key` tells the same game apart across updates.
    struct Row {
        QString key;
        QString text;
    };

    explicit JoinDialog(QWidget *parent = nullptr);

    // The games as they come and go; the selection stays with its game.
    void setGames(const QList<Row> &rows);
    // Under the list: searching, nothing found, or why the network cannot
    // be searched.
    void setSearchText(const QString &text);
    void setRecentHosts(const QStringList &hosts);
    void setAddress(const QString &text);
    QString address() const;
    // Shown in red; the player may try again.
    void showProblem(const QString &text);
    // While a join is being tried: the text, and Join is disabled.
    void showProgress(const QString &text);
    // Back to choosing, without a message.
    void clearMessage();
    bool busy() const { return busy_; }

    // What the dialog shows and where its parts lie ([left, top, width,
    // height] in the dialog), for scripts and tests.
    QJsonObject state() const;
    QListWidget *gameList() const { return games_; }
    QComboBox *addressField() const { return address_; }
    QPushButton *joinButton() const { return join_; }

signals:
    // Join with a game of the list selected (or a double click on it).
    void gameChosen(const QString &key);
    // Join with an address typed or picked from the recent hosts.
    void addressChosen(const QString &text);
    // Cancel, or the dialog closed: a join under way is given up.
    void cancelled();

protected:
    void reject() override;

private:
    void joinClicked();
    void updateJoinButton();

    QListWidget *games_ = nullptr;
    QLabel *search_ = nullptr;
    QComboBox *address_ = nullptr;
    QLabel *message_ = nullptr;
    QPushButton *join_ = nullptr;
    QPushButton *cancel_ = nullptr;
    QStringList keys_;
    bool busy_ = false;
    bool problem_ = false;
};
