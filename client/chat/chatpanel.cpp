#include "client/chat/chatpanel.h"

#include "client/chat/chatentry.h"
#include "client/chat/chatview.h"
#include "client/chat/colortext.h"
#include "client/chat/smilies.h"
#include "client/chat/sounds.h"
#include "net/protocol.h"

#include <QAction>
#include <QActionGroup>
#include <QColorDialog>
#include <QFrame>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

namespace {

constexpr std::array<const char *, ChatPanel::kPhraseCount> kPhrases{
    "Way To Go!", "Good One!", "Nice Try!",         "Excellent!",          "Brilliant!",
    "Wow, WTG!",  "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!", "See ya!"};

constexpr std::array<const char *, 21> kChatter{
    "<Cancel>",       "Doh",          "Cough", "Hello",   "Thank You", "Where have you been?",
    "Snoring",        "Sneezing",     "Sorry", "Welcome", "Yeehaa",    "Yippee",
    "Oh No",          "Applause",     "Honk",  "Oooh",    "Razzberry", "Cheer",
    "Woman Laughing", "Man Laughing", "Crying"};

constexpr std::array<int, 4> kTextSizes{8, 10, 12, 14};

void logDropped(const char *what, const QString &payload) {
    std::fprintf(stderr, "zorble: dropped %s: %s\n", what, qPrintable(proto::cut(payload, 80)));
}

} // namespace

QString ChatPanel::defaultPhrase(int n) {
    if (n < 1 || n > kPhraseCount)
        return {};
    return QString::fromLatin1(kPhrases[size_t(n - 1)]);
}

QString ChatPanel::chatterCaption(int n) {
    if (n < 0 || n >= int(kChatter.size()))
        return {};
    return QString::fromLatin1(kChatter[size_t(n)]);
}

ChatPanel::ChatPanel(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("panel_chatcolumn"));
    setFixedSize(kWidth, kHeight);

    for (int i = 0; i < kPhraseCount; ++i) {
        const int n = i + 1;
        phrases_[size_t(i)] = defaultPhrase(n);
        auto *button = new QPushButton(this);
        button->setObjectName(QStringLiteral("b_phrase%1").arg(n));
        button->setGeometry(1 + 30 * i, 0, 28, 18);
        button->setText(n == kPhraseCount ? QStringLiteral("\u266A") : QString::number(n));
        button->setToolTip(phrases_[size_t(i)]);
        button->setFocusPolicy(Qt::NoFocus);
        button->setStyleSheet(QStringLiteral(
            "QPushButton { background: #ffff80; border: 1px solid #a08000; font-size: 8pt; }"
            "QPushButton:pressed { background: #e0d040; }"));
        phraseButtons_[size_t(i)] = button;
        if (n == kPhraseCount)
            connect(button, &QPushButton::clicked, this, [this, button] {
                chatterMenu_->popup(button->mapToGlobal(button->rect().bottomRight()));
            });
        else
            connect(button, &QPushButton::clicked, this, [this, n] { phraseClick(n); });
    }

    frame_ = new QFrame(this);
    frame_->setObjectName(QStringLiteral("panel_chat"));
    frame_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame_->setLineWidth(2);
    frame_->setGeometry(0, 21, ChatView::kWidth + 4, ChatView::kHeight + 4);
    view_ = new ChatView(frame_);
    view_->setGeometry(2, 2, ChatView::kWidth, ChatView::kHeight);

    entry_ = new ChatEntry(this);
    entry_->setGeometry(0, 302, 279, 22);
    connect(entry_, &ChatEntry::enterPressed, this, &ChatPanel::sendit);

    smileyButton_ = new QToolButton(this);
    smileyButton_->setObjectName(QStringLiteral("b_smiley"));
    smileyButton_->setGeometry(281, 302, 22, 22);
    smileyButton_->setIcon(smilies::icon(0));
    smileyButton_->setIconSize(QSize(17, 16));
    smileyButton_->setToolTip(QStringLiteral("Smilies"));
    smileyButton_->setFocusPolicy(Qt::NoFocus);
    connect(smileyButton_, &QToolButton::clicked, this, [this] {
        smileyMenu_->popup(smileyButton_->mapToGlobal(smileyButton_->rect().bottomRight()));
    });

    connect(view_, &ChatView::chatCleared, this, [this] { entry_->setFocus(); });

    sounds_ = new Sounds(this);

    guardTimer_ = new QTimer(this);
    guardTimer_->setTimerType(Qt::PreciseTimer);
    guardTimer_->setInterval(1);
    connect(guardTimer_, &QTimer::timeout, this, &ChatPanel::phraseTick);

    buildMenus();
    applyOptions(options_);
}

void ChatPanel::buildMenus() {
    smileyMenu_ = new QMenu(this);
    smileyMenu_->setObjectName(QStringLiteral("menu_smilies"));
    for (int i = 0; i < smilies::kCount; ++i) {
        QAction *a = smileyMenu_->addAction(smilies::icon(i),
                                            QStringLiteral(":)#%1").arg(i + smilies::kFirstCode));
        connect(a, &QAction::triggered, this, [this, i] { smileyClick(i); });
    }

    chatterMenu_ = new QMenu(this);
    chatterMenu_->setObjectName(QStringLiteral("menu_sounds"));
    for (int n = 0; n < int(kChatter.size()); ++n) {
        QAction *a = chatterMenu_->addAction(chatterCaption(n));
        a->setData(n);
        connect(a, &QAction::triggered, this, [this, n] { chatterClick(n); });
    }

    playSounds_ = new QAction(QStringLiteral("Play Sounds"), this);
    playSounds_->setCheckable(true);
    connect(playSounds_, &QAction::triggered, this, [this](bool on) {
        options_.playSounds = on;
        sounds_->setEnabled(on);
        emit optionsChanged();
    });
    chatterSounds_ = new QAction(QStringLiteral("Play Chatter Sounds"), this);
    chatterSounds_->setCheckable(true);
    connect(chatterSounds_, &QAction::triggered, this, [this](bool on) {
        options_.chatterSounds = on;
        emit optionsChanged();
    });

    auto *turnGroup = new QActionGroup(this);
    turnClassic_ = new QAction(QStringLiteral("Classic"), turnGroup);
    turnNew_ = new QAction(QStringLiteral("New"), turnGroup);
    for (auto [action, value] : {std::pair{turnClassic_, 0}, std::pair{turnNew_, 1}}) {
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, sound = value] {
            options_.turnSound = sound;
            emit optionsChanged();
        });
    }

    textColour_ = new QAction(QStringLiteral("Text Color"), this);
    connect(textColour_, &QAction::triggered, this, &ChatPanel::chooseTextColour);

    for (size_t i = 0; i < kTextSizes.size(); ++i) {
        const int size = kTextSizes[i];
        sizeActions_[i] = new QAction(QString::number(size), this);
        sizeActions_[i]->setCheckable(true);
        connect(sizeActions_[i], &QAction::triggered, this, [this, size] {
            setTextSize(size);
            emit optionsChanged();
        });
    }

    connect(view_->scrollOffAction(), &QAction::toggled, this,
            [this](bool on) { options_.scrollOff = on; });
}

void ChatPanel::addOptionActions(QMenu *options) {
    options->addAction(playSounds_);
    options->addAction(chatterSounds_);
    QMenu *turn = options->addMenu(QStringLiteral("Turn Sound"));
    turn->addAction(turnClassic_);
    turn->addAction(turnNew_);
    options->addAction(textColour_);
    QMenu *size = options->addMenu(QStringLiteral("Text Size"));
    for (QAction *a : sizeActions_)
        size->addAction(a);
    options->addAction(view_->scrollOffAction());
}

void ChatPanel::syncOptionActions() {
    playSounds_->setChecked(options_.playSounds);
    chatterSounds_->setChecked(options_.chatterSounds);
    turnClassic_->setChecked(options_.turnSound == 0);
    turnNew_->setChecked(options_.turnSound == 1);
    for (size_t i = 0; i < kTextSizes.size(); ++i)
        sizeActions_[i]->setChecked(kTextSizes[i] == options_.textSize);
    view_->setScrollOff(options_.scrollOff);
}

void ChatPanel::applyOptions(const ChatOptions &options) {
    options_ = options;
    if (options_.turnSound != 1)
        options_.turnSound = 0;
    sounds_->setEnabled(options_.playSounds);
    setTextColour(options_.textColour);
    setTextSize(options_.textSize);
    syncOptionActions();
}

void ChatPanel::setTextColour(quint32 bgr) {
    options_.textColour = bgr & 0xFFFFFF;
    entry_->setTextColour(toQColor(options_.textColour));
}

void ChatPanel::setTextSize(int points) {
    if (points <= 0)
        return;
    options_.textSize = points;
    view_->setTextSize(points);
    for (size_t i = 0; i < kTextSizes.size(); ++i)
        sizeActions_[i]->setChecked(kTextSizes[i] == points);
}

void ChatPanel::chooseTextColour() {
    const QColor chosen =
        QColorDialog::getColor(toQColor(options_.textColour), this, QStringLiteral("Text Color"));
    if (!chosen.isValid())
        return;
    setTextColour(fromQColor(chosen));
    emit optionsChanged();
}

QString ChatPanel::colourName() const {
    return colorToString(options_.textColour);
}

QString ChatPanel::turnSoundName() const {
    return options_.turnSound == 1 ? QStringLiteral("turnnew") : QStringLiteral("turn");
}

QString ChatPanel::phrase(int n) const {
    if (n < 1 || n > kPhraseCount)
        return {};
    return phrases_[size_t(n - 1)];
}

void ChatPanel::setPhrase(int n, const QString &text) {
    if (n < 1 || n > kPhraseCount || text.isEmpty())
        return;
    phrases_[size_t(n - 1)] = text;
    phraseButtons_[size_t(n - 1)]->setToolTip(text);
}

void ChatPanel::sendit() {
    if (!loggedin_)
        return;
    const QString text = entry_->text();
    if (text.isEmpty())
        return;
    if (!text.startsWith(QLatin1Char('/')))
        emit sendRequest(proto::request::chat(localseat_, text, colourName()));
    else if (text.startsWith(QLatin1String("/me")))
        emit sendRequest(proto::request::action(localseat_, text.mid(4), colourName()));
    entry_->clear();
}

void ChatPanel::phraseClick(int n) {
    if (n < 1 || n >= kPhraseCount || !phraseready_)
        return;
    const QString &text = phrases_[size_t(n - 1)];
    if (text.startsWith(QLatin1String("/me ")))
        emit sendRequest(proto::request::action(localseat_, text.mid(4), colourName()));
    else
        emit sendRequest(
            proto::request::action(localseat_, QStringLiteral("says: ") + text, colourName()));
    phraseready_ = false;
    phrasecount_ = 0;
    guardTimer_->start();
}

void ChatPanel::phraseTick() {
    if (phraseready_) {
        guardTimer_->stop();
        return;
    }
    if (++phrasecount_ >= kPhraseGuardTicks) {
        phraseready_ = true;
        phrasecount_ = 0;
        guardTimer_->stop();
    }
}

void ChatPanel::chatterClick(int n) {
    if (n < 1 || n >= int(kChatter.size()))
        return;
    if (localseat_ < 1 || localseat_ > 4 || !loggedin_)
        return;
    emit sendRequest(proto::request::playasound(localseat_, n));
}

void ChatPanel::smileyClick(int n) {
    if (n < 0 || n >= smilies::kCount)
        return;
    entry_->clearPrompt();
    entry_->append(QLatin1String(smilies::kMarker) + QString::number(n + smilies::kFirstCode));
    entry_->setFocus();
}

void ChatPanel::addlinetochat(int seat, const QString &text, quint32 colour) {
    view_->addlinetochat(seat, text, colour);
}

void ChatPanel::chatterSound(int seat, const QString &sound) {
    int number = -1;
    if (sound.startsWith(QLatin1String("wave")))
        number = proto::toInt(QStringView(sound).mid(4)).value_or(-1);
    if (number < 1 || number >= int(kChatter.size())) {
        logDropped("unknown chatter sound", QString::number(seat) + QLatin1Char('+') + sound);
        return;
    }
    if (options_.chatterSounds) {
        sounds_->playchatter(QStringLiteral("wave%1").arg(number));
        return;
    }
    const QString speaker = seatName_ ? seatName_(seat) : QString();
    if (speaker.isEmpty())
        return;
    addlinetochat(0, speaker + QStringLiteral(": <Chatter Sound> ") + chatterCaption(number),
                  kColourGreen);
}
