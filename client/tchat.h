#pragma once

#include "client/instanceguard.h"
#include "clientcore/gamemirror.h"
#include "clientcore/hostlink.h"

#include <QJsonObject>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class BoardArea;
class ChatPanel;
class QAction;
class QLabel;
class QMenu;
class RackView;
class SeatMenu;
class SeatTable;
class StatusPanel;
class Tabout;
class Thelp;
class TilePictures;
class TDictn;
class TServer;
class ZorbleFlash;
namespace rules {
class Rules;
}

// The game window: connects to a host (its own, when it hosts), logs in and
// hands every message from the host to its handler. Closing it ends the game.
class Tchat : public QMainWindow {
    Q_OBJECT
public:
    static constexpr quint16 kGamePort = HostLink::kGamePort;
    static constexpr quint16 kLobbyPort = HostLink::kLobbyPort;
    static constexpr int kDefaultWidth = 866;
    static constexpr int kDefaultHeight = 650;
    static constexpr int kNarrowestScreen = 801;

    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    // Wiring done once, before the window is first shown.
    void setArguments(const QStringList &args) { args_ = args; }
    void setServer(TServer *server) { server_ = server; }
    void setAbout(Tabout *about) { about_ = about; }
    void setHelp(Thelp *help) { help_ = help; }
    // Tests move the connections to free ports; the game uses the fixed ones.
    void setPorts(quint16 game, quint16 lobby) {
        gamePort_ = game;
        lobbyPort_ = lobby;
    }

    GameMirror &mirror() { return mirror_; }
    ChatPanel *chat() const { return chat_; }
    const GameMirror &mirror() const { return mirror_; }
    // The pictures the board, the rack and the panels are drawn with.
    const TilePictures &pictures() const { return *pictures_; }
    // The version text sent at login: the About window's version label.
    QString versionText() const;
    bool isClosing() const { return closing_; }
    // Messages taken off the queue and handed to the dispatcher so far.
    int dispatchedCount() const { return link_.dispatchedCount(); }

    // Shows the panel that asks for a larger screen when the width is below
    // the narrowest the layout fits.
    void checkScreenWidth(int width);
    // Restores and raises the window (a second start of the program asks for it).
    void bringToFront();

    // Command line, hosting and joining.
    void processparams();
    void hostpress();
    void joinpress();

    // The Start Game, Pass and New Tiles actions (buttons, menu, console).
    void button_startClick();
    void button_passClick();
    void button_newtilesClick();
    // Submits the tiles laid this turn (Done, a right click on the board,
    // Enter on the board).
    void pressdone();
    void button_doneClick();
    void button_clearClick();

    // What the live preview under the board shows: the word and its points,
    // or why the host would refuse the move; empty while no tile of the own
    // turn lies on the board.
    QString previewText() const;
    // Where the board, the rack tiles, SORT and the move buttons lie in the
    // window, as [left, top, width, height] by object name, for scripts that
    // click on them.
    QJsonObject places() const;
    // Options > Just Watch: asks the host to let the own seat sit out, or
    // play again. The tick follows the host's answer.
    void JustWatch1Click();
    // Asks the host to remove the player in a slot (hosting player only).
    void kicking(int seat);

    SeatMenu *seatMenu() const { return popup_kick; }
    QAction *justWatchAction() const { return JustWatch1; }

signals:
    // The window has closed; the program ends with it.
    void closed();
    // A line went to the chat view ("selector+text").
    void chatLineShown(const QString &line);
    // A message line is about to be handled (tests watch the order).
    void dispatching(const QString &line);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildPanel();
    void connectViews();
    void addlinetochat(int seat, const QString &text, quint32 colour);
    void systemLine(const QString &text);
    void showMessage(const QString &text);

    // User actions.
    void Exit1Click();
    void Image4Click();
    void seatChanged(int seat);
    // The keyboard focus goes back to the chat entry after a move button.
    void chatFocus();
    void showDrag();
    void followPointer(QPoint global);
    void updatePreview();
    // The rules the preview asks: the host's in this program, or rules of
    // the window's own on the built-in word list when it has no host.
    const rules::Rules &previewRules();

    RunningMark running_;
    GameMirror mirror_;
    HostLink link_{mirror_};
    std::unique_ptr<TilePictures> pictures_;
    bool closing_ = false;
    bool shown_ = false;

    QStringList args_;
    TServer *server_ = nullptr;
    Tabout *about_ = nullptr;
    Thelp *help_ = nullptr;
    quint16 gamePort_ = kGamePort;
    quint16 lobbyPort_ = kLobbyPort;

    QWidget *panel_ = nullptr;
    BoardArea *boardArea_ = nullptr;
    SeatTable *seatTable_ = nullptr;
    StatusPanel *status_ = nullptr;
    RackView *rack_ = nullptr;
    ZorbleFlash *zorble_ = nullptr;
    ChatPanel *chat_ = nullptr;
    QLabel *label_preview = nullptr;
    QLabel *image_dragging = nullptr;
    std::unique_ptr<TDictn> ownWords_;
    std::unique_ptr<rules::Rules> ownRules_;
    QMenu *fileMenu_ = nullptr;
    QMenu *viewMenu_ = nullptr;
    QMenu *optionsMenu_ = nullptr;
    QMenu *helpMenu_ = nullptr;
    QAction *StartGame1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *JustWatch1 = nullptr;
    QAction *BoardKeys1 = nullptr;
    SeatMenu *popup_kick = nullptr;
};
