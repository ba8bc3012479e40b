#include "windows/gamehistory.h"

#include "ai/analysis.h"
#include "record/reader.h"
#include "record/turnposition.h"
#include "settings/userfile.h"
#include "windows/historytext.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QSlider>
#include <QTableWidget>
#include <QThreadPool>
#include <QVBoxLayout>

GameHistory::GameHistory(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("gamehistory"));
    setWindowTitle(QStringLiteral("Game History"));

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("list_games"));
    list_->setMinimumWidth(140);
    list_->setMaximumWidth(220);
    connect(list_, &QListWidget::currentTextChanged, this, [this](const QString &name) {
        if (!name.isEmpty())
            open(QDir(folder_).filePath(name));
    });

    boardSlot_ = new QWidget(this);
    auto *boardLayout = new QVBoxLayout(boardSlot_);
    boardLayout->setContentsMargins(0, 0, 0, 0);

    auto *steps = new QHBoxLayout;
    const std::array<std::pair<const char *, const char *>, 4> buttons{{{"button_first", "|<"},
                                                                        {"button_back", "<"},
                                                                        {"button_forward", ">"},
                                                                        {"button_last", ">|"}}};
    for (const auto &[name, text] : buttons) {
        auto *b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFixedWidth(36);
        steps->addWidget(b);
    }
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("slider_turn"));
    steps->addWidget(slider_, 1);
    connect(button("button_first"), &QPushButton::clicked, this, [this] { showTurn(0); });
    connect(button("button_back"), &QPushButton::clicked, this, [this] { showTurn(turn_ - 1); });
    connect(button("button_forward"), &QPushButton::clicked, this, [this] { showTurn(turn_ + 1); });
    connect(button("button_last"), &QPushButton::clicked, this, [this] { showTurn(turns()); });
    connect(slider_, &QSlider::valueChanged, this, &GameHistory::showTurn);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("label_turn"));
    best_ = new QLabel(this);
    best_->setObjectName(QStringLiteral("label_best"));
    best_->setWordWrap(true);

    sheet_ = new QTableWidget(0, 7, this);
    sheet_->setObjectName(QStringLiteral("table_history"));
    sheet_->setHorizontalHeaderLabels({QStringLiteral("#"), QStringLiteral("Player"),
                                       QStringLiteral("Word"), QStringLiteral("Where"),
                                       QStringLiteral("Pts"), QStringLiteral("Z"),
                                       QStringLiteral("Total")});
    sheet_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sheet_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sheet_->setSelectionMode(QAbstractItemView::SingleSelection);
    sheet_->verticalHeader()->hide();
    sheet_->horizontalHeader()->setStretchLastSection(true);
    sheet_->setMinimumWidth(330);
    connect(sheet_, &QTableWidget::cellClicked, this, [this](int row, int) { showTurn(row + 1); });

    auto *copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("button_copy"));
    connect(copy, &QPushButton::clicked, this, &GameHistory::copyText);
    auto *save = new QPushButton(QStringLiteral("Save As..."), this);
    save->setObjectName(QStringLiteral("button_saveas"));
    connect(save, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("Save As"), QString(), QStringLiteral("Text (*.txt)"));
        if (!path.isEmpty() && !saveText(path))
            best_->setText(QStringLiteral("Cannot write %1.").arg(path));
    });

    auto *middle = new QVBoxLayout;
    middle->addWidget(boardSlot_);
    middle->addLayout(steps);
    middle->addWidget(status_);
    middle->addWidget(best_);
    auto *right = new QVBoxLayout;
    right->addWidget(sheet_, 1);
    auto *exports = new QHBoxLayout;
    exports->addWidget(copy);
    exports->addWidget(save);
    right->addLayout(exports);
    auto *top = new QHBoxLayout(this);
    top->addWidget(list_);
    top->addLayout(middle);
    top->addLayout(right);
    showTurn(0);
}

QPushButton *GameHistory::button(const char *name) const {
    return findChild<QPushButton *>(QString::fromLatin1(name));
}

void GameHistory::setBoardView(QWidget *view, ShowTurn show) {
    boardSlot_->layout()->addWidget(view);
    show_ = std::move(show);
    showTurn(turn_);
}

void GameHistory::setFolder(const QString &folder) {
    folder_ = folder;
    list_->clear();
    // The names begin with the start's date and time: by name, newest first.
    list_->addItems(QDir(folder).entryList({QStringLiteral("*.zrec")}, QDir::Files,
                                           QDir::Name | QDir::Reversed));
    // A name longer than the list is wide is read whole in its tool tip.
    for (int i = 0; i < list_->count(); ++i)
        list_->item(i)->setToolTip(list_->item(i)->text());
}

bool GameHistory::open(const QString &path) {
    const UserFile file = UserFile::read(path, record::kMaxRecordBytes);
    record::ReadResult r;
    if (file.ok())
        r = record::read(file.bytes);
    ++generation_;
    bests_.clear();
    loaded_ = bool(r.game);
    game_ = r.game ? *r.game : record::Game{};
    fillSheet();
    slider_->setRange(0, turns());
    showTurn(turns());
    if (!loaded_)
        status_->setText(file.ok()
                             ? QStringLiteral("Line %1: %2").arg(r.error.line).arg(r.error.message)
                             : QStringLiteral("Cannot read %1.").arg(path));
    return loaded_;
}

void GameHistory::fillSheet() {
    sheet_->setRowCount(0);
    int turn = 0;
    for (const record::Entry &e : game_.entries) {
        if (!e.isTurn())
            continue;
        const QStringList cells = historytext::turnCells(game_, e, ++turn);
        sheet_->insertRow(turn - 1);
        for (int c = 0; c < cells.size(); ++c)
            sheet_->setItem(turn - 1, c, new QTableWidgetItem(cells[c]));
    }
    // Every column as wide as its widest cell, so the points and the outcome
    // show without scrolling.
    sheet_->resizeColumnsToContents();
}

void GameHistory::showTurn(int turn) {
    turn = std::clamp(turn, 0, turns());
    turn_ = turn;
    const record::Snapshot s = record::replay(game_, turn);
    QList<QPoint> framed;
    QString rack;
    if (turn > 0 && s.lastEntry >= 0) {
        // The last turn replayed: its tiles framed, its rack before it.
        int at = s.lastEntry;
        while (at > 0 && !game_.entries[at].isTurn())
            --at;
        const record::Entry &e = game_.entries[at];
        for (const game::BoardLetter &t : e.tiles)
            framed.append(QPoint(t.x, t.y));
        rack = e.rack;
    }
    if (show_)
        show_(s.board, s.squares, framed, rack);
    const QSignalBlocker quiet(slider_);
    slider_->setValue(turn);
    if (turn > 0)
        sheet_->selectRow(turn - 1);
    else
        sheet_->clearSelection();
    for (const char *name : {"button_first", "button_back"})
        button(name)->setEnabled(turn > 0);
    for (const char *name : {"button_forward", "button_last"})
        button(name)->setEnabled(turn < turns());
    status_->setText(loaded_ ? statusText() : QStringLiteral("No game chosen."));
    askBest(turn);
    showBest();
    emit turnShown(turn);
}

QString GameHistory::statusText() const {
    QStringList totals;
    const record::Snapshot s = record::replay(game_, turn_);
    for (int seat = 1; seat <= game::kSeats; ++seat)
        if (!s.names[size_t(seat)].isEmpty())
            totals
                << QStringLiteral("%1 %2").arg(s.names[size_t(seat)]).arg(s.totals[size_t(seat)]);
    return QStringLiteral("Turn %1 of %2: %3")
        .arg(turn_)
        .arg(turns())
        .arg(totals.join(QStringLiteral(", ")));
}

void GameHistory::askBest(int turn) {
    if (!loaded_ || turn < 1 || bests_.contains(turn))
        return;
    const QList<record::RecordedTurn> all = record::recordedTurns(game_);
    const record::RecordedTurn &t = all[turn - 1];
    if (!t.rackKnown) {
        bests_.insert(turn, QStringLiteral("The record does not hold this rack."));
        return;
    }
    bests_.insert(turn, QStringLiteral("Looking for the best move..."));
    QPointer<GameHistory> self(this);
    const int generation = generation_;
    const ai::TurnQuestion question{t.position, t.played};
    QThreadPool::globalInstance()->start([self, generation, turn, question, held = engine_] {
        const std::shared_ptr<ai::Engine> engine = held ? held : ai::Engine::shared();
        const std::vector<ai::TurnAnswer> a = ai::analyse(*engine, {question}, 1);
        QString text = QStringLiteral("No move was possible.");
        if (a.front().best)
            text = QStringLiteral("Best: %1 for %2; %3 given away.")
                       .arg(a.front().best->word.toUpper())
                       .arg(a.front().best->score)
                       .arg(a.front().givenAway);
        QMetaObject::invokeMethod(
            qApp,
            [self, generation, turn, text, engine] {
                if (!self)
                    return;
                self->engine_ = engine;
                if (self->generation_ != generation)
                    return;
                self->bests_.insert(turn, text);
                self->showBest();
            },
            Qt::QueuedConnection);
    });
}

void GameHistory::showBest() {
    best_->setText(bests_.value(turn_));
}

QString GameHistory::bestText() const {
    return best_->text();
}

void GameHistory::copyText() {
    if (loaded_)
        QApplication::clipboard()->setText(historytext::gameText(game_));
}

bool GameHistory::saveText(const QString &path) {
    if (!loaded_)
        return false;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(historytext::gameText(game_).toUtf8());
    return out.commit();
}
