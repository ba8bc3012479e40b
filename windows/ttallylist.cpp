#include "windows/ttallylist.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

QLabel *makeLabel(const QString &text, const QString &name, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

Ttallylist::Ttallylist(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("tallylistform"));
    setWindowTitle(QStringLiteral("Zorble - Tally List"));

    // The window stays usable while the tally file is being coded; messages
    // from the host and signals wait until the file is done.
    stringgrid_scores.setIdle([] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::ExcludeSocketNotifiers);
    });

    listbox_tally = new QListWidget(this);
    listbox_tally->setObjectName(QStringLiteral("listbox_tally"));
    checklist = new QListWidget(this);
    checklist->setObjectName(QStringLiteral("checklist"));

    auto *lists = new QVBoxLayout;
    lists->addWidget(new QLabel(QStringLiteral("Players Being Tallied"), this));
    lists->addWidget(listbox_tally);
    lists->addWidget(
        new QLabel(QStringLiteral("Players In Current Game (Click to Start Tally)"), this));
    lists->addWidget(checklist);

    label_hisnametop = makeLabel(QString(), QStringLiteral("label_hisnametop"), this);
    label_hisnametop->setAlignment(Qt::AlignCenter);

    auto *own = new QGroupBox(QStringLiteral("Your Total Tally"), this);
    auto *ownGrid = new QGridLayout(own);
    mylabel_1 = makeLabel(QStringLiteral("0"), QStringLiteral("mylabel_1"), own);
    mylabel_2 = makeLabel(QStringLiteral("0"), QStringLiteral("mylabel_2"), own);
    ownGrid->addWidget(new QLabel(QStringLiteral("Total Games:"), own), 0, 0);
    ownGrid->addWidget(mylabel_1, 0, 1);
    ownGrid->addWidget(new QLabel(QStringLiteral("Your Wins:"), own), 1, 0);
    ownGrid->addWidget(mylabel_2, 1, 1);

    auto *his = new QGroupBox(this);
    auto *hisGrid = new QGridLayout(his);
    hisGrid->addWidget(new QLabel(QStringLiteral("Total"), his), 0, 1);
    hisGrid->addWidget(new QLabel(QStringLiteral("Session"), his), 0, 2);
    label_hisname = makeLabel(QStringLiteral("XX Wins:"), QStringLiteral("label_hisname"), his);
    QLabel *const rowNames[4] = {new QLabel(QStringLiteral("Number of Games"), his), label_hisname,
                                 new QLabel(QStringLiteral("Your Wins:"), his),
                                 new QLabel(QStringLiteral("Neither Won:"), his)};
    for (int i = 1; i <= 8; ++i)
        label_[size_t(i)] = makeLabel(QStringLiteral("0"), QStringLiteral("label_%1").arg(i), his);
    for (int r = 0; r < 4; ++r) {
        hisGrid->addWidget(rowNames[r], r + 1, 0);
        hisGrid->addWidget(label_[size_t(r + 1)], r + 1, 1);
        hisGrid->addWidget(label_[size_t(r + 5)], r + 1, 2);
    }

    button_done = new QPushButton(QStringLiteral("DONE"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    button_reset = new QPushButton(QStringLiteral("RESET TALLY"), this);
    button_reset->setObjectName(QStringLiteral("button_reset"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(button_reset);
    buttons->addStretch();
    buttons->addWidget(button_done);

    auto *figures = new QVBoxLayout;
    figures->addWidget(label_hisnametop);
    figures->addWidget(own);
    figures->addWidget(his);
    figures->addStretch();
    figures->addLayout(buttons);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(figures);

    connect(button_done, &QPushButton::clicked, this, &QWidget::hide);
    connect(button_reset, &QPushButton::clicked, this, &Ttallylist::button_resetClick);
    connect(checklist, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!filling_)
            checklistClickCheck(item);
    });
    connect(listbox_tally, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!filling_)
            listbox_tallyClickCheck(item);
    });
    connect(listbox_tally, &QListWidget::currentRowChanged, this, [this] { listbox_tallyClick(); });

    confirm_ = [this](const QString &question) {
        return QMessageBox::question(this, QStringLiteral("Zorble"), question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    // Not modal: the notice comes at start-up, before the game window shows,
    // and must not hold the start up.
    inform_ = [this](const QString &text) {
        auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Zorble"), text,
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    };
}

Ttallylist::~Ttallylist() = default;

// ---- The tally file ---------------------------------------------------------

void Ttallylist::loadFile(const QString &path) {
    path_ = path;
    const TallyStore::LoadResult result = stringgrid_scores.loadFile(path);
    if (!result.message.isEmpty() && inform_)
        inform_(result.message);
    loadtally();
}

bool Ttallylist::saveFile() {
    if (path_.isEmpty())
        return false;
    QString error;
    if (stringgrid_scores.saveFile(path_, &error))
        return true;
    std::fprintf(stderr, "zorble: the tally was not saved: %s\n", qPrintable(error));
    return false;
}

void Ttallylist::loadtally() {
    showOwn();
    filling_ = true;
    listbox_tally->clear();
    for (const QString &name : stringgrid_scores.names()) {
        auto *item = new QListWidgetItem(name, listbox_tally);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    filling_ = false;
    showOpponent(-1);
}

// ---- Figures ----------------------------------------------------------------

void Ttallylist::showOwn() {
    mylabel_1->setText(stringgrid_scores.cell(TallyStore::Games, 0));
    mylabel_2->setText(stringgrid_scores.cell(TallyStore::HisWins, 0));
}

void Ttallylist::showOpponent(int position) {
    const int row = position + 1;
    if (position < 0 || row >= stringgrid_scores.RowCount()) {
        label_hisnametop->clear();
        label_hisname->setText(QStringLiteral("XX Wins:"));
        for (int i = 1; i <= 8; ++i)
            label_[size_t(i)]->setText(QStringLiteral("0"));
        return;
    }
    for (int i = 1; i <= 8; ++i)
        label_[size_t(i)]->setText(stringgrid_scores.cell(i, row));
    const QString name = stringgrid_scores.cell(TallyStore::Name, row);
    label_hisname->setText(name + QStringLiteral(" Wins:"));
    label_hisnametop->setText(name + QStringLiteral("'s Tally"));
}

void Ttallylist::listbox_tallyClick() {
    showOpponent(listbox_tally->currentRow());
}

// ---- Current players and games -----------------------------------------------

void Ttallylist::setCurrentPlayers(const QStringList &names) {
    filling_ = true;
    checklist->clear();
    for (const QString &name : names) {
        auto *item = new QListWidgetItem(name, checklist);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(stringgrid_scores.indexOf(name) >= 0 ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
}

QStringList Ttallylist::currentPlayers() const {
    QStringList names;
    for (int i = 0; i < checklist->count(); ++i)
        names << checklist->item(i)->text();
    return names;
}

void Ttallylist::addgame(const QString &str) {
    if (loadchecklist_)
        loadchecklist_();
    stringgrid_scores.addgame(str, currentPlayers());
    showOwn();
    if (listbox_tally->currentRow() >= 0)
        listbox_tallyClick();
}

// ---- Following, deleting, resetting ---------------------------------------------

void Ttallylist::checklistClickCheck(QListWidgetItem *item) {
    const QString name = item->text();
    filling_ = true;
    if (stringgrid_scores.indexOf(name) >= 0) {
        // Followed already: he stays followed, and ticked.
        item->setCheckState(Qt::Checked);
    } else if (stringgrid_scores.follow(name)) {
        auto *followed = new QListWidgetItem(name, listbox_tally);
        followed->setFlags(followed->flags() | Qt::ItemIsUserCheckable);
        followed->setCheckState(Qt::Checked);
    } else {
        // A name the tally cannot keep: the tick would promise what is not so.
        item->setCheckState(Qt::Unchecked);
    }
    filling_ = false;
}

void Ttallylist::listbox_tallyClickCheck(QListWidgetItem *item) {
    if (item->checkState() != Qt::Unchecked)
        return;
    const int position = listbox_tally->row(item);
    const QString name = item->text();
    if (confirm_(QStringLiteral("This will delete ") + name +
                 QStringLiteral("'s Tally, Are you want to delete it?"))) {
        stringgrid_scores.moverow(position + 1);
        filling_ = true;
        delete listbox_tally->takeItem(position);
        // The current players show ticked exactly those who are followed.
        for (int i = 0; i < checklist->count(); ++i)
            if (stringgrid_scores.indexOf(checklist->item(i)->text()) < 0)
                checklist->item(i)->setCheckState(Qt::Unchecked);
        filling_ = false;
        listbox_tallyClick();
    } else {
        filling_ = true;
        item->setCheckState(Qt::Checked);
        filling_ = false;
    }
}

void Ttallylist::button_resetClick() {
    if (!confirm_(QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    stringgrid_scores.reset();
    showOwn();
    filling_ = true;
    listbox_tally->clear();
    for (int i = 0; i < checklist->count(); ++i)
        checklist->item(i)->setCheckState(Qt::Unchecked);
    filling_ = false;
    for (int i = 1; i <= 8; ++i)
        label_[size_t(i)]->setText(QStringLiteral("0"));
}
