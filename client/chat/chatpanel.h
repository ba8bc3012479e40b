#pragma once

// The chat column of the client window: the phrase buttons, the chat view,
// the entry line with its smiley button, the smiley and chatter-sound menus,
// and the sound effects. The panel sends its requests through sendRequest();
// the window hands it the chat lines and chatter sounds of the game mirror.

#include "client/chat/chatoptions.h"
#include "net/messages.h"

#include <QString>
#include <QWidget>

#include <array>
#include <functional>

class ChatEntry;
class ChatView;
class QAction;
class QActionGroup;
class QFrame;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;
class Sounds;

class ChatPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPhraseCount = 10;
    // Ticks of the 1 ms guard timer after a phrase before the next may go.
    static constexpr int kPhraseGuardTicks = 101;
    static constexpr int kWidth = 303;
    static constexpr int kHeight = 324;

    // The default phrase of button n (1 .. 10).
    static QString defaultPhrase(int n);
    // The caption of chatter sound n (0 "<Cancel>", 1 .. 20).
    static QString chatterCaption(int n);

    explicit ChatPanel(QWidget *parent = nullptr);

    ChatView *view() const { return view_; }
    Sounds *sounds() const { return sounds_; }
    ChatEntry *entry() const { return entry_; }

    void setLocalSeat(int seat) { localseat_ = seat; }
    int localSeat() const { return localseat_; }
    void setLoggedIn(bool on) { loggedin_ = on; }
    bool loggedIn() const { return loggedin_; }
    // Gives the name shown for a seat, or an empty text when the seat has no
    // name label; used for chatter-sound lines.
    void setSeatNames(std::function<QString(int seat)> lookup) { seatName_ = std::move(lookup); }

    // Phrase n (1 .. 10); setting an empty phrase keeps the one there.
    QString phrase(int n) const;
    void setPhrase(int n, const QString &text);
    bool phraseReady() const { return phraseready_; }
    // One tick of the phrase guard (normally from the panel's own 1 ms timer).
    void phraseTick();

    // A line from the seat that spoke, 0 for the program's own notices.
    void addlinetochat(int seat, const QString &text, quint32 colour);
    // A player's chatter sound ("wave" N) from the seat.
    void chatterSound(int seat, const QString &sound);

    // The turn sound's name as chosen in the Options menu.
    QString turnSoundName() const;

    ChatOptions options() const { return options_; }
    void applyOptions(const ChatOptions &options);
    void setTextColour(quint32 bgr);
    void setTextSize(int points);

    // Puts "Play Sounds", "Play Chatter Sounds", "Turn Sound", "Text Color",
    // "Text Size" and "Scroll Chat Off" into the window's Options menu.
    void addOptionActions(QMenu *options);

    // Enter in the entry line (also reached by the Enter key).
    void sendit();
    // Phrase button n (1 .. 9).
    void phraseClick(int n);
    // Chatter-sound menu entry n (0 .. 20).
    void chatterClick(int n);
    // Smiley menu entry for picture n (0 .. 17).
    void smileyClick(int n);

    QMenu *smileyMenu() const { return smileyMenu_; }
    QMenu *chatterMenu() const { return chatterMenu_; }

signals:
    // A request for the host.
    void sendRequest(const proto::Request &request);
    // An option was changed from a menu (the settings file saves then).
    void optionsChanged();

private:
    void buildMenus();
    void syncOptionActions();
    void chooseTextColour();
    QString colourName() const;

    std::array<QPushButton *, kPhraseCount> phraseButtons_{};
    std::array<QString, kPhraseCount> phrases_;
    QFrame *frame_ = nullptr;
    ChatView *view_ = nullptr;
    ChatEntry *entry_ = nullptr;
    QToolButton *smileyButton_ = nullptr;
    QMenu *smileyMenu_ = nullptr;
    QMenu *chatterMenu_ = nullptr;
    Sounds *sounds_ = nullptr;
    QTimer *guardTimer_ = nullptr;

    QAction *playSounds_ = nullptr;
    QAction *chatterSounds_ = nullptr;
    QAction *turnClassic_ = nullptr;
    QAction *turnNew_ = nullptr;
    QAction *textColour_ = nullptr;
    std::array<QAction *, 4> sizeActions_{};

    ChatOptions options_;
    int localseat_ = 0;
    bool loggedin_ = false;
    bool phraseready_ = true;
    int phrasecount_ = 0;
    std::function<QString(int)> seatName_;
};
