#include "windows/tgameoptions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// A number that only its arrows (and the arrow keys) change: typing into
// the text is refused.
class UpDown : public QSpinBox {
public:
    UpDown(const QString &name, int minimum, int maximum, int step, int value, QWidget *parent)
        : QSpinBox(parent) {
        setObjectName(name);
        setRange(minimum, maximum);
        setSingleStep(step);
        setValue(value);
        lineEdit()->setReadOnly(true);
        setAlignment(Qt::AlignRight);
    }
};

// Caption, field and unit on one row of a grid.
void addRow(QGridLayout *grid, const QString &caption, QSpinBox *field, const QString &unit) {
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(caption), row, 0);
    grid->addWidget(field, row, 1);
    if (!unit.isEmpty())
        grid->addWidget(new QLabel(unit), row, 2);
}

} // namespace

Tgameoptions::Tgameoptions(QWidget *parent) : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("gameoptionsform"));
    setWindowTitle(QStringLiteral("Game Options"));

    const game::GameOptions defaults = game::kDefaultOptions;
    turnTime_ = new UpDown(QStringLiteral("edit_turntime"), 45, 360, 5, defaults.turntime, this);
    squares_ = new UpDown(QStringLiteral("edit_squares"), 0, 20, 4, defaults.squarecount, this);
    gameTime_ = new UpDown(QStringLiteral("edit_gametime"), 0, 10000, 1, defaults.gametime, this);
    score_ = new UpDown(QStringLiteral("edit_score"), 0, 1000, 200, defaults.playtoscore, this);
    double_ = new QCheckBox(QStringLiteral("Double Sided"), this);
    double_->setObjectName(QStringLiteral("check_double"));
    team_ = new QCheckBox(QStringLiteral("Team Game"), this);
    team_->setObjectName(QStringLiteral("check_team"));

    auto *game = new QGroupBox(QStringLiteral("Game Options"), this);
    game->setObjectName(QStringLiteral("panel_game"));
    auto *gameGrid = new QGridLayout(game);
    addRow(gameGrid, QStringLiteral("Turn Time Limit:"), turnTime_, QStringLiteral("secs"));
    addRow(gameGrid, QStringLiteral("# Zorbles:"), squares_, QString());
    gameGrid->addWidget(double_, gameGrid->rowCount(), 0, 1, 3);
    gameGrid->addWidget(team_, gameGrid->rowCount(), 0, 1, 3);

    auto *end = new QGroupBox(QStringLiteral("Game End Options"), this);
    end->setObjectName(QStringLiteral("panel_gameend"));
    auto *endGrid = new QGridLayout(end);
    addRow(endGrid, QStringLiteral("Time Limited Game:"), gameTime_, QStringLiteral("mins"));
    addRow(endGrid, QStringLiteral("Play to Score:"), score_, QString());

    const game::HostOptions hostDefaults;
    grace_ = new UpDown(QStringLiteral("edit_grace"), 0, game::HostOptions::kMaxGrace, 30,
                        hostDefaults.grace, this);
    byName_ = new QCheckBox(QStringLiteral("Let players rejoin by name"), this);
    byName_->setObjectName(QStringLiteral("check_rejoinbyname"));
    auto *rejoin = new QGroupBox(QStringLiteral("Lost Connections"), this);
    rejoin->setObjectName(QStringLiteral("panel_rejoin"));
    auto *rejoinGrid = new QGridLayout(rejoin);
    addRow(rejoinGrid, QStringLiteral("Keep the Seat for:"), grace_, QStringLiteral("secs"));
    rejoinGrid->addWidget(byName_, rejoinGrid->rowCount(), 0, 1, 3);

    computer_ = new QCheckBox(QStringLiteral("Play against the computer"), this);
    computer_->setObjectName(QStringLiteral("check_computer"));
    computer_->hide();

    start_ = new QPushButton(QStringLiteral("Start Game"), this);
    start_->setObjectName(QStringLiteral("button_start"));
    start_->setDefault(true);
    connect(start_, &QPushButton::clicked, this, [this] {
        emit startRequested();
        accept();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(game);
    layout->addWidget(end);
    layout->addWidget(rejoin);
    layout->addWidget(computer_);
    layout->addWidget(start_, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void Tgameoptions::setValues(const game::GameOptions &values) {
    turnTime_->setValue(values.turntime);
    squares_->setValue(values.squarecount);
    gameTime_->setValue(values.gametime);
    score_->setValue(values.playtoscore);
    double_->setChecked(values.doubletiles);
    team_->setChecked(values.partners);
}

game::GameOptions Tgameoptions::values() const {
    return {turnTime_->value(), squares_->value(),    gameTime_->value(),
            score_->value(),    double_->isChecked(), team_->isChecked()};
}

void Tgameoptions::setHostValues(const game::HostOptions &values) {
    grace_->setValue(values.grace);
    byName_->setChecked(values.rejoinByName);
}

game::HostOptions Tgameoptions::hostValues() const {
    return {grace_->value(), byName_->isChecked()};
}

void Tgameoptions::setComputerOffered(bool offered) {
    computer_->setVisible(offered);
}

void Tgameoptions::setGameRunning(bool running) {
    computer_->setEnabled(!running);
    computer_->setToolTip(running ? QStringLiteral("Computer players join between games.")
                                  : QString());
}

bool Tgameoptions::playAgainstComputer() const {
    return !computer_->isHidden() && computer_->isEnabled() && computer_->isChecked();
}
