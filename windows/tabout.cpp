#include "windows/tabout.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Tabout::Tabout(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutform"));
    setWindowTitle(QStringLiteral("About Zorble"));

    auto *title = new QLabel(QStringLiteral("<b>Zorble</b>"), this);
    title->setObjectName(QStringLiteral("label_title"));
    title->setAlignment(Qt::AlignCenter);

    version = new QLabel(QStringLiteral("2.1.1"), this);
    version->setObjectName(QStringLiteral("version"));
    version->setAlignment(Qt::AlignCenter);

    auto *blurb = new QLabel(QStringLiteral("A crossword game for up to four players.\n"
                                            "Built with Qt; words from the SCOWL word list."),
                             this);
    blurb->setAlignment(Qt::AlignCenter);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("button_ok"));
    connect(ok, &QPushButton::clicked, this, &QDialog::hide);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(blurb);
    layout->addWidget(ok, 0, Qt::AlignCenter);
}

QString Tabout::versionText() const {
    return version->text();
}
