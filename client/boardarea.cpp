#include "client/boardarea.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

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

} // namespace

BoardArea::BoardArea(QWidget *parent) : QFrame(parent) {
    setObjectName(QStringLiteral("boardarea"));
    setGeometry(5, 4, 538, 538);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(40, 40, 40));
    setPalette(pal);

    // The board's drawing surface lies at (8, 7) in the main panel.
    board_ = new QWidget(this);
    board_->setObjectName(QStringLiteral("board"));
    board_->setGeometry(3, 3, 532, 532);

    panel_winner = new QFrame(this);
    panel_winner->setObjectName(QStringLiteral("panel_winner"));
    panel_winner->setGeometry(69, 169, 400, 200);
    panel_winner->setFrameShape(QFrame::Panel);
    panel_winner->setAutoFillBackground(true);
    {
        auto *layout = new QVBoxLayout(panel_winner);
        layout->addWidget(
            centred(panel_winner, QStringLiteral("label_reason"), QStringLiteral("Game Over!")));
        for (int i = 1; i <= 4; ++i)
            layout->addWidget(
                centred(panel_winner, QStringLiteral("label_winner") + QString::number(i), {}));
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
