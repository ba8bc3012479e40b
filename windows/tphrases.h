#pragma once

#include <QDialog>
#include <QStringList>

#include <array>

class QLineEdit;
class QPushButton;

// The phrase editor: one line for each of the ten phrase buttons. "Done"
// reports the lines through done() and closes the window; closing it
// otherwise drops the edits.
class Tphrases : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPhrases = 10;
    static constexpr int kMaxLength = 50;

    explicit Tphrases(QWidget *parent = nullptr);

    // Fills the lines, phrase 1 first; missing ones are left empty.
    void setPhrases(const QStringList &phrases);
    QStringList phrases() const;

    // Line n (1 .. 10).
    QLineEdit *line(int n) const { return lines_.at(size_t(n - 1)); }
    QPushButton *doneButton() const { return done_; }

signals:
    void done(const QStringList &phrases);

private:
    std::array<QLineEdit *, kPhrases> lines_{};
    QPushButton *done_;
};
