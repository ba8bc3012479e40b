#include "client/boardarea.h"

#include "client/boardview.h"
#include "clientcore/gamemirror.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace {

QLabel *centred(QWidget *parent, const QString &name, const QString &text) {
    auto *label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void setTextColour(QLabel *label, const QColor &colour) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

} // namespace

BoardArea::BoardArea(GameMirror &mirror, const TilePictures *pictures, QWidget *parent)
    : QFrame(parent) {
    setObjectName(QStringLiteral("boardarea"));
    setGeometry(5, 4, 538, 538);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(40, 40, 40));
    setPalette(pal);

    // The board's drawing surface lies at (8, 7) in the main panel.
    board_ = new BoardView(mirror, pictures, this);
    board_->move(3, 3);

    panel_winner = new QFrame(this);
    panel_winner->setObjectName(QStringLiteral("panel_winner"));
    panel_winner->setGeometry(69, 169, 400, 200);
    panel_winner->setFrameShape(QFrame::Box);
    panel_winner->setLineWidth(2);
    panel_winner->setAutoFillBackground(true);
    {
        QPalette night = panel_winner->palette();
        night.setColor(QPalette::Window, QColor(30, 46, 100));
        night.setColor(QPalette::WindowText, QColor(255, 214, 0));
        panel_winner->setPalette(night);

        label_reason =
            centred(panel_winner, QStringLiteral("label_reason"), QStringLiteral("Game Over!"));
        label_reason->setGeometry(10, 14, 380, 30);
        QFont reasonFont = label_reason->font();
        reasonFont.setPixelSize(15);
        reasonFont.setBold(true);
        label_reason->setFont(reasonFont);
        setTextColour(label_reason, QColor(235, 235, 235));

        // Each text twice: the shadow first, the text made later lies on top,
        // one pixel up and to the left.
        const std::array<QRect, 2> places{QRect(10, 56, 380, 44), QRect(10, 108, 380, 76)};
        const std::array<QColor, 2> inks{QColor(255, 214, 0), QColor(255, 255, 255)};
        for (int i = 0; i < 4; ++i) {
            const int row = i / 2;
            const bool shadow = i % 2 == 0;
            QLabel *l = centred(panel_winner, QStringLiteral("label_winner%1").arg(i + 1), {});
            l->setGeometry(places[row].translated(shadow ? 1 : 0, shadow ? 1 : 0));
            QFont f = l->font();
            f.setPixelSize(20);
            f.setBold(true);
            l->setFont(f);
            setTextColour(l, shadow ? QColor(0, 0, 0) : inks[row]);
            winnerLabels_[i] = l;
        }
        rematch_ = new QPushButton(QStringLiteral("Rematch"), panel_winner);
        rematch_->setObjectName(QStringLiteral("button_rematch"));
        rematch_->setGeometry(150, 170, 100, 24);
        rematch_->setToolTip(QStringLiteral("A new game with the same options and seats"));
        rematch_->hide();
    }
    panel_winner->hide();

    panel_screen = new QFrame(this);
    panel_screen->setObjectName(QStringLiteral("panel_screen"));
    panel_screen->setGeometry(44, 169, 450, 200);
    panel_screen->setFrameShape(QFrame::Panel);
    panel_screen->setAutoFillBackground(true);
    {
        auto *layout = new QVBoxLayout(panel_screen);
        QLabel *title =
            centred(panel_screen, QString(), QStringLiteral("Screen Resolution Setting"));
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        layout->addWidget(title);
        layout->addWidget(centred(panel_screen, QStringLiteral("label_screen1"),
                                  QStringLiteral("This game is designed to run on screen "
                                                 "resolutions of 1024/768 or higher.")));
        layout->addWidget(centred(panel_screen, QStringLiteral("label_screen2"),
                                  QStringLiteral("Please adjust your screen resolutions before "
                                                 "playing.")));
        Image4 = new QPushButton(QStringLiteral("OK"), panel_screen);
        Image4->setObjectName(QStringLiteral("Image4"));
        layout->addWidget(Image4, 0, Qt::AlignCenter);
    }
    panel_screen->hide();
}

void BoardArea::showWinner(const GameMirror &mirror) {
    for (int i = 0; i < 4; ++i)
        winnerLabels_[i]->setText(i < 2 ? mirror.texts().winnerTitle()
                                        : mirror.texts().winnerNames());
    panel_winner->setVisible(mirror.texts().winnerShown());
    rematch_->setVisible(mirror.texts().winnerShown() && mirror.isHost());
}

void BoardArea::setReason(const QString &text) {
    label_reason->setText(text);
}
