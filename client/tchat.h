#pragma once

#include "client/instanceguard.h"
#include "clientcore/gamemirror.h"
#include "clientcore/hostlink.h"
#include "settings/apppaths.h"

#include <QJsonObject>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class BoardArea;
class DragImage;
class PreviewLabel;
class ChatPanel;
class ComputerMenu;
class GameHistory;
class GameStarter;
class NetworkMenu;
class QAction;
class QLabel;
class QMenu;
class QTabBar;
class RackView;
class ScoreSheetView;
class SeatMenu;
class SeatTable;
class StatusPanel;
class Tabout;
class Tdownload;
class Tgameoptions;
class Thelp;
class TilePictures;
class TileSetMenu;
class TileSetPictures;
class Tphrases;
class TServer;
class Tspylist;
class UnseenView;
class Ttallylist;
class WindowSettings;
class ZorbleFlash;

// The game window: its views paint the game mirror, its menus and buttons
// send the player's requests through the host link, and its parts start the
// game (GameStarter), keep its settings (WindowSettings), offer the tile
// sets (TileSetMenu) and the ways to play with others (NetworkMenu). Closing
// it ends the game.
class Tchat : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kDefaultWidth = 866;
    static constexpr int kDefaultHeight = 650;
    static constexpr int kNarrowestScreen = 801;

    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    // Wiring done once, before the window is first shown.
    void setArguments(const QStringList &args);
    void setServer(TServer *server);
    void setAbout(Tabout *about);
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
    // Tests move the connections to free ports; the game uses the fixed ones.
    void setPorts(quint16 game, quint16 lobby);

    GameMirror &mirror() { return mirror_; }
    const GameMirror &mirror() const { return mirror_; }
    ChatPanel *chat() const { return chat_; }
    // The "Chat" and "Moves" tabs under the chat, and the Moves tab's sheet.
    QTabBar *chatTabs() const { return chatTabs_; }
    ScoreSheetView *scoreSheet() const { return sheet_; }
    GameStarter *starter() const { return starter_; }
    WindowSettings *settings() const { return settings_; }
    TileSetMenu *tileSets() const { return tiles_; }
    // The pictures the board, the rack and the panels are drawn with.
    const TilePictures &pictures() const;
    Tgameoptions *gameOptions();
    Tphrases *phraseEditor();
    Tspylist *spyList();
    Tdownload *download();
    // File > Game History, made when first opened, listing the games folder.
    GameHistory *gameHistory();
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

    // The Start Game, Pass and New Tiles actions (buttons, menu, console).
    void button_startClick();
    void button_passClick();
    // "Rematch" on the winner panel (hosting player): the game just ended
    // starts again with its options and seats.
    void rematch();
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
    // Where the board, the rack tiles, SORT, the move buttons and the Moves
    // tab lie in the window, as [left, top, width, height] by object name, for scripts that
    // click on them.
    QJsonObject places() const;
    // Options > Just Watch: asks the host to let the own seat sit out, or
    // play again. The tick follows the host's answer.
    void JustWatch1Click();
    // Asks the host to remove the player in a slot (hosting player only).
    void kicking(int seat);
    // View > Phrase List: the phrase editor with the current phrases.
    void PhraseList1Click();

    SeatMenu *seatMenu() const { return popup_kick; }
    // File > Add Computer Player and Options > Show Hint.
    ComputerMenu *computerMenu() const { return computer_; }
    // Options > Your Name, File > Join a Game and File > Copy Invitation.
    NetworkMenu *networkMenu() const { return network_; }
    QAction *justWatchAction() const { return JustWatch1; }
    QAction *coordinatesAction() const { return Coordinates1; }

signals:
    // The window has closed; the program ends with it.
    void closed();
    // A line went to the chat view ("seat+text").
    void chatLineShown(const QString &line);
    // A message line is about to be handled (tests watch the order).
    void dispatching(const QString &line);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildPanel();
    void buildMovesTab();
    void buildParts();
    void connectViews();
    void addlinetochat(int seat, const QString &text, quint32 colour);
    void systemLine(const QString &text);
    void hostingChanged(bool hosting);

    // User actions.
    void seatChanged(int seat);
    // The Game Options window's start button.
    void gameoptionsStart();
    // The player's name as the start message carries it.
    QString startName() const;
    // The phrase editor's Done button.
    void phrasesDone(const QStringList &phrases);
    // The keyboard focus goes back to the chat entry after a move button.
    void chatFocus();

    RunningMark running_;
    GameMirror mirror_;
    HostLink link_{mirror_};
    std::unique_ptr<TileSetPictures> pictures_;
    bool closing_ = false;
    bool shown_ = false;
    bool startShown_ = false; // the Start Game button showed when Game Options opened

    GameStarter *starter_ = nullptr;
    WindowSettings *settings_ = nullptr;
    TileSetMenu *tiles_ = nullptr;
    Tabout *about_ = nullptr;
    Thelp *help_ = nullptr;
    Tgameoptions *gameoptions_ = nullptr;
    Tphrases *phrases_ = nullptr;
    UnseenView *unseen_ = nullptr; // View > Unseen Tiles
    QPointer<Tspylist> spylist_;   // may go before the window
    QPointer<Tdownload> download_; // likewise
    GameHistory *history_ = nullptr;
    AppPaths paths_;
    QPointer<Ttallylist> tally_; // may go before the window

    QWidget *panel_ = nullptr;
    BoardArea *boardArea_ = nullptr;
    SeatTable *seatTable_ = nullptr;
    StatusPanel *status_ = nullptr;
    RackView *rack_ = nullptr;
    ZorbleFlash *zorble_ = nullptr;
    ChatPanel *chat_ = nullptr;
    QTabBar *chatTabs_ = nullptr;
    ScoreSheetView *sheet_ = nullptr;
    PreviewLabel *label_preview = nullptr;
    DragImage *image_dragging = nullptr;
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
    QAction *BoardKeys1 = nullptr;
    QAction *Coordinates1 = nullptr;
    SeatMenu *popup_kick = nullptr;
    ComputerMenu *computer_ = nullptr;
    NetworkMenu *network_ = nullptr;
};
