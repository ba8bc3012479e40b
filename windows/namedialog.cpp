#include "windows/namedialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

NameDialog::NameDialog(std::function<QString(const QString &)> problem, QWidget *parent)
    : QDialog(parent), problem_(std::move(problem)) {
    setObjectName(QStringLiteral("nameform"));
    setWindowTitle(QStringLiteral("Your Name"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("The name the other players see:"), this));
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("edit_name"));
    edit_->setMinimumWidth(260);
    layout->addWidget(edit_);
    reason_ = new QLabel(this);
    reason_->setObjectName(QStringLiteral("label_reason"));
    reason_->setTextFormat(Qt::PlainText);
    reason_->setStyleSheet(QStringLiteral("color: #b00000;"));
    layout->addWidget(reason_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &NameDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NameDialog::reject);
    connect(edit_, &QLineEdit::textEdited, reason_, &QLabel::clear);
}

void NameDialog::setName(const QString &name) {
    edit_->setText(name);
    edit_->selectAll();
    reason_->clear();
}

QString NameDialog::name() const {
    return edit_->text().trimmed();
}

QString NameDialog::reason() const {
    return reason_->text();
}

void NameDialog::accept() {
    const QString why = problem_ ? problem_(name()) : QString();
    if (!why.isEmpty()) {
        reason_->setText(why);
        edit_->setFocus();
        return;
    }
    QDialog::accept();
}
