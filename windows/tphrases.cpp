#include "windows/tphrases.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tphrases::Tphrases(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("phrasesform"));
    setWindowTitle(QStringLiteral("Zorble- Phrase Buttons"));

    auto *form = new QFormLayout;
    for (int n = 1; n <= kPhrases; ++n) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("edit_phrase%1").arg(n));
        edit->setMaxLength(kMaxLength);
        edit->setMinimumWidth(260);
        lines_[size_t(n - 1)] = edit;
        // The tenth button sits where a keyboard has its 0.
        form->addRow(QStringLiteral("Phrase Button %1:").arg(n % kPhrases), edit);
    }

    done_ = new QPushButton(QStringLiteral("Done"), this);
    done_->setObjectName(QStringLiteral("button_done"));
    connect(done_, &QPushButton::clicked, this, [this] {
        emit done(phrases());
        close();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(done_, 0, Qt::AlignCenter);
}

void Tphrases::setPhrases(const QStringList &phrases) {
    for (int i = 0; i < kPhrases; ++i)
        lines_[size_t(i)]->setText(phrases.value(i));
}

QStringList Tphrases::phrases() const {
    QStringList out;
    for (const QLineEdit *edit : lines_)
        out << edit->text();
    return out;
}
