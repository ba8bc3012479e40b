#include "windows/joindialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

JoinDialog::JoinDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("joinform"));
    setWindowTitle(QStringLiteral("Join a Game"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Games on the local network:"), this));
    games_ = new QListWidget(this);
    games_->setObjectName(QStringLiteral("list_games"));
    games_->setMinimumSize(460, 140);
    layout->addWidget(games_);
    search_ = new QLabel(this);
    search_->setObjectName(QStringLiteral("label_search"));
    search_->setTextFormat(Qt::PlainText);
    search_->setWordWrap(true);
    layout->addWidget(search_);

    auto *form = new QFormLayout;
    address_ = new QComboBox(this);
    address_->setObjectName(QStringLiteral("combo_address"));
    address_->setEditable(true);
    address_->setInsertPolicy(QComboBox::NoInsert);
    address_->lineEdit()->setPlaceholderText(
        QStringLiteral("host, host:port, [IPv6]:port or zorble:// link"));
    form->addRow(QStringLiteral("Or join the address:"), address_);
    layout->addLayout(form);

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("label_message"));
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(true);
    layout->addWidget(message_);

    auto *buttons = new QDialogButtonBox(this);
    join_ = buttons->addButton(QStringLiteral("Join"), QDialogButtonBox::AcceptRole);
    join_->setObjectName(QStringLiteral("button_join"));
    join_->setDefault(true);
    cancel_ = buttons->addButton(QDialogButtonBox::Cancel);
    cancel_->setObjectName(QStringLiteral("button_cancel"));
    layout->addWidget(buttons);

    connect(join_, &QPushButton::clicked, this, &JoinDialog::joinClicked);
    connect(cancel_, &QPushButton::clicked, this, &JoinDialog::reject);
    connect(games_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        games_->setCurrentItem(item);
        joinClicked();
    });
    // A game picked from the list and an address typed exclude each other.
    connect(games_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && !address_->currentText().isEmpty())
            address_->setEditText(QString());
        updateJoinButton();
    });
    connect(address_, &QComboBox::editTextChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            games_->setCurrentRow(-1);
        updateJoinButton();
    });
    updateJoinButton();
}

void JoinDialog::setGames(const QList<Row> &rows) {
    const int current = games_->currentRow();
    const QString selected = current >= 0 && current < keys_.size() ? keys_[current] : QString();
    const QSignalBlocker block(games_);
    games_->clear();
    keys_.clear();
    for (const Row &row : rows) {
        games_->addItem(row.text);
        keys_ << row.key;
    }
    games_->setCurrentRow(selected.isEmpty() ? -1 : int(keys_.indexOf(selected)));
    updateJoinButton();
}

void JoinDialog::setSearchText(const QString &text) {
    search_->setText(text);
}

void JoinDialog::setRecentHosts(const QStringList &hosts) {
    const QString typed = address_->currentText();
    const QSignalBlocker block(address_);
    address_->clear();
    address_->addItems(hosts);
    address_->setEditText(typed);
}

void JoinDialog::setAddress(const QString &text) {
    address_->setEditText(text);
}

QString JoinDialog::address() const {
    return address_->currentText();
}

void JoinDialog::showProblem(const QString &text) {
    busy_ = false;
    problem_ = true;
    message_->setStyleSheet(QStringLiteral("color: #b00000;"));
    message_->setText(text);
    updateJoinButton();
}

void JoinDialog::showProgress(const QString &text) {
    busy_ = true;
    problem_ = false;
    message_->setStyleSheet(QString());
    message_->setText(text);
    updateJoinButton();
}

void JoinDialog::clearMessage() {
    busy_ = false;
    problem_ = false;
    message_->clear();
    updateJoinButton();
}

void JoinDialog::joinClicked() {
    if (busy_)
        return;
    const int row = games_->currentRow();
    if (row >= 0 && row < keys_.size())
        emit gameChosen(keys_[row]);
    else
        emit addressChosen(address_->currentText());
}

void JoinDialog::updateJoinButton() {
    join_->setEnabled(!busy_ && (games_->currentRow() >= 0 || !address_->currentText().isEmpty()));
}

void JoinDialog::reject() {
    busy_ = false;
    message_->clear();
    emit cancelled();
    QDialog::reject();
}

QJsonObject JoinDialog::state() const {
    QJsonArray rows;
    QJsonObject places;
    auto place = [&](const QString &name, const QRect &r) {
        places.insert(name, QJsonArray{r.x(), r.y(), r.width(), r.height()});
    };
    for (int i = 0; i < games_->count(); ++i) {
        rows.append(games_->item(i)->text());
        const QRect r = games_->visualItemRect(games_->item(i));
        place(QStringLiteral("game%1").arg(i + 1),
              QRect(games_->viewport()->mapTo(this, r.topLeft()), r.size()));
    }
    for (const QWidget *w :
         {static_cast<const QWidget *>(address_), static_cast<const QWidget *>(join_),
          static_cast<const QWidget *>(cancel_)})
        place(w->objectName(), QRect(w->mapTo(this, QPoint()), w->size()));
    return QJsonObject{{QStringLiteral("open"), isVisible()},
                       {QStringLiteral("games"), rows},
                       {QStringLiteral("search"), search_->text()},
                       {QStringLiteral("address"), address_->currentText()},
                       {QStringLiteral("message"), message_->text()},
                       {QStringLiteral("problem"), problem_},
                       {QStringLiteral("busy"), busy_},
                       {QStringLiteral("places"), places}};
}
