#pragma once

#include <QDialog>

class QTabWidget;

// The Help window: static pages on the rules, the scoring, the Zorble
// squares, the game options, keyboard play, the version history and the
// credits: the sources of the program, its word list and its sounds.
class Thelp : public QDialog {
    Q_OBJECT
public:
    explicit Thelp(QWidget *parent = nullptr);

    QTabWidget *pages() const { return pages_; }

private:
    QTabWidget *pages_;
};
