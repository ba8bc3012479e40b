#pragma once

#include "tally/tallystore.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The tally list window: the followed opponents with their figures, the
// players of the current game (ticking one starts following him), the own
// totals and the reset. It holds the tally, loads it from the tally file when
// the program starts and saves it when the program ends.
class Ttallylist : public QDialog {
    Q_OBJECT
public:
    using Confirm = std::function<bool(const QString &question)>;
    using Inform = std::function<void(const QString &text)>;

    explicit Ttallylist(QWidget *parent = nullptr);
    ~Ttallylist() override;

    TallyStore &store() { return stringgrid_scores; }
    const TallyStore &store() const { return stringgrid_scores; }

    // Loads the tally file at `path`, which saveFile() later writes. A file
    // that cannot be used is reported to the user once; the tally then
    // starts empty.
    void loadFile(const QString &path);
    // Writes the tally file; an error is reported on standard error and the
    // old file stays. Does nothing before loadFile().
    bool saveFile();
    QString filePath() const { return path_; }

    // Records a finished game: the single winner's name, or "addtomine" when
    // the player won. The current players are refreshed first.
    void addgame(const QString &str);

    // The players of the current game, other than the player: the client
    // fills the list from the seats. Names already followed are ticked.
    void setCurrentPlayers(const QStringList &names);
    QStringList currentPlayers() const;

    // Set by the client: refreshes the current players from the seats.
    void setLoadchecklist(std::function<void()> refresh) { loadchecklist_ = std::move(refresh); }
    // The Yes/No confirmations and the notice of an unusable tally file;
    // message boxes unless replaced (tests answer them).
    void setConfirm(Confirm confirm) { confirm_ = std::move(confirm); }
    void setInform(Inform inform) { inform_ = std::move(inform); }

    // The event handlers, also called by tests.
    void checklistClickCheck(QListWidgetItem *item);
    void listbox_tallyClickCheck(QListWidgetItem *item);
    void listbox_tallyClick();
    void button_resetClick();

private:
    void loadtally();
    void showOwn();
    void showOpponent(int position);

    TallyStore stringgrid_scores;
    QString path_;
    bool filling_ = false; // ticks set by the program, not by a click
    std::function<void()> loadchecklist_;
    Confirm confirm_;
    Inform inform_;

    QListWidget *listbox_tally = nullptr;
    QListWidget *checklist = nullptr;
    QLabel *label_hisnametop = nullptr;
    QLabel *label_hisname = nullptr;
    QLabel *mylabel_1 = nullptr;
    QLabel *mylabel_2 = nullptr;
    std::array<QLabel *, 9> label_{}; // label_1 .. label_8
    QPushButton *button_done = nullptr;
    QPushButton *button_reset = nullptr;
};
