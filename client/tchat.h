#pragma once

#include "client/instanceguard.h"
#include "clientcore/gamemirror.h"
#include "clientcore/hostlink.h"
#include "settings/apppaths.h"

#include <QJsonObject>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class BoardArea;
class ChatPanel;
class ComputerMenu;
class NetworkMenu;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class RackView;
class SeatMenu;
class SeatTable;
class StatusPanel;
class Tabout;
class Tdownload;
class Tgameoptions;
class Thelp;
class TilePictures;
class TileSetPictures;
class Tphrases;
class TDictn;
class TServer;
class Tspylist;
class Ttallylist;
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
    // Without these the window makes its own when first needed.
    void setGameOptions(Tgameoptions *options);
    void setPhraseEditor(Tphrases *phrases);
    // The watcher list, shown from View > Spy List; its "Remove From Game"
    // works in the hosting player's window only.
    void setSpyList(Tspylist *spylist);
    // The lobby download window, shown at a solo start; it takes the lobby's
    // settings and the download folder from the window.
    void setDownload(Tdownload *download);
    // Where the settings file and the tile sets are. A window without paths
    // keeps nothing on disk and offers only the classic tiles.
    void setPaths(const AppPaths &paths);
    // The tally list: shown from View > Tally List, told of the current
    // players and of every game with a single winner.
    void setTally(Ttallylist *tally);
    // A join from the Join dialog: the connection is made and the host's
    // first message waits in it. The window plays there as `name`.
    void setJoin(const QString &name, const QString &address, quint16 port,
                 std::unique_ptr<TSock> connection);
    // Whether a solo start offers the lobby download (not when the game
    // starts again under a new name, or to follow an invitation).
    void setOfferLobby(bool on) { offerLobby_ = on; }
    // Tests move the connections to free ports; the game uses the fixed ones.
    void setPorts(quint16 game, quint16 lobby) {
        gamePort_ = game;
        lobbyPort_ = lobby;
    }

    GameMirror &mirror() { return mirror_; }
    ChatPanel *chat() const { return chat_; }
    const GameMirror &mirror() const { return mirror_; }
    // The pictures the board, the rack and the panels are drawn with.
    const TilePictures &pictures() const;
    Tgameoptions *gameOptions();
    Tphrases *phraseEditor();
    Tspylist *spyList();
    Tdownload *download();
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
    // Refills the tally list's current players: the names of seats 1 to 4,
    // without the own seat and free seats.
    void loadchecklist();

    // The settings file: read when the host announces the own seat, written
    // when an option changes, a game is started and when the window closes
    // after it moved or changed size. Nothing is written before the file
    // was read: the window's built-in values would overwrite the user's.
    void loadinifile();
    void saveinifile();
    bool settingsRead() const { return settingsRead_; }

    // Tile sets: the Tiles menu offers "classic" and the sets in the tile-set
    // folder; choosing one loads it and saves the settings.
    void grouptilesmenu();
    void grouptilesmenuClick(const QString &name);
    // Loads a set without saving; nothing happens when its big strip is
    // missing, and a broken file is reported in the chat.
    void loadgrouptiles(const QString &name);
    QString currentTileSet() const { return tileSet_; }
    QMenu *tilesMenu() const { return tilesMenu_; }

    // Options > Reset Screen Location: back to the default place and size.
    void ResetScreenLocation1Click();
    // View > Phrase List: the phrase editor with the current phrases.
    void PhraseList1Click();

    SeatMenu *seatMenu() const { return popup_kick; }
    // File > Add Computer Player and Options > Show Hint.
    ComputerMenu *computerMenu() const { return computer_; }
    // Options > Your Name, File > Join a Game and File > Copy Invitation.
    NetworkMenu *networkMenu() const { return network_; }
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
    // The Game Options window's start button.
    void gameoptionsStart();
    // The phrase editor's Done button.
    void phrasesDone(const QStringList &phrases);
    void saveinifile(const QRect &geometry);
    QRect windowRect() const;
    QSize workArea() const;
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
    std::unique_ptr<TileSetPictures> pictures_;
    bool closing_ = false;
    bool shown_ = false;

    QStringList args_;
    TServer *server_ = nullptr;
    Tabout *about_ = nullptr;
    Thelp *help_ = nullptr;
    Tgameoptions *gameoptions_ = nullptr;
    Tphrases *phrases_ = nullptr;
    QPointer<Tspylist> spylist_;   // may go before the window
    QPointer<Tdownload> download_; // likewise
    // The lobby's settings, as last read, for the download window.
    QString lobbyURL_;
    QString lobbyPath_;
    QString lobbySHA256_;
    AppPaths paths_;
    bool settingsRead_ = false;
    // The place and size last read from the settings file or recorded at a
    // close; a close that finds the window there writes nothing.
    QRect remembered_;
    QString tileSet_;
    QPointer<Ttallylist> tally_; // may go before the window
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
    QAction *ResetScreenLocation1 = nullptr;
    QAction *PhraseList1 = nullptr;
    QMenu *tilesMenu_ = nullptr;
    QActionGroup *tilesGroup_ = nullptr;
    QAction *BoardKeys1 = nullptr;
    SeatMenu *popup_kick = nullptr;
    ComputerMenu *computer_ = nullptr;
    NetworkMenu *network_ = nullptr;
    std::unique_ptr<TSock> joining_; // the connection a join from the dialog made
    bool offerLobby_ = true;
};
