#pragma once

// The head-to-head tally: the player's own totals and, for every opponent the
// player chose to follow, how the games with that opponent ended.
//
// The tally is a grid of 9 text columns. Row 0 is the player's own record,
// and every further row one followed opponent, in the order in which they
// were followed:
//
//   column  row 0                     row i >= 1
//   0       "0"                       the opponent's name
//   1       games played              games played with the opponent present
//   2       games the player won      games the opponent won
//   3..8    "0"                       3: the player won, 4: a third player won,
//                                     5..8: columns 1..4 for this run only
//
// On disk the grid is a text, one line per cell ending in CR LF: the column
// count, the row count, then every cell column by column, each column from
// row 0 down. The text is compressed with LZRW1/KH into the tally file.

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <stdexcept>
#include <vector>

class QIODevice;

// A text that is not a tally grid: its counts do not match its lines, or a
// counter is not a number. The message says what is wrong.
class TallyFormatError : public std::runtime_error {
public:
    explicit TallyFormatError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

class TallyStore {
public:
    static constexpr int kColumns = 9;
    // The most rows a tally file may hold; no more opponents can be followed.
    static constexpr int kMaxRows = 10000;
    // What addgame is given when the player won.
    static inline const QString kMine = QStringLiteral("addtomine");

    enum Column {
        Name = 0,
        Games = 1,
        HisWins = 2,
        MyWins = 3,
        OtherWins = 4,
        SessionGames = 5,
        SessionHisWins = 6,
        SessionMyWins = 7,
        SessionOtherWins = 8,
    };

    // A tally with the own row alone, all "0".
    TallyStore();

    int RowCount() const { return int(rows_.size()); }
    // The text of a cell; empty outside the grid.
    QString cell(int column, int row) const;
    // The followed opponents: the names of rows 1 onward, in row order.
    QStringList names() const;
    // The list position (row - 1) of a followed opponent, letter case
    // ignored; -1 when nobody of that name is followed.
    int indexOf(const QString &name) const;

    // Adds 1 to a counter and returns the new value. A cell that holds no
    // number counts as 0; a counter stops at the largest int.
    int addit(int column, int row);
    // addit on the own row.
    int addtomine(int column) { return addit(column, 0); }

    // Starts following an opponent: a new last row, all counters "0". False,
    // and nothing changes, when the name is followed already (in any letter
    // case), holds a line break, or the grid is full.
    bool follow(const QString &name);
    // Deletes row `row` (1 onward); the rows below move up. The own row stays.
    void moverow(int row);

    // Records one finished game. `winner` is the single winner's name, or
    // kMine when the player won; `players` are the other players of the
    // game. The own game count grows, and the own wins when the player won;
    // then each player who is followed (letter case ignored) gets a game and,
    // by an exact comparison of the row's name with `winner`, a win of his
    // own, of the player or of a third player, in total and for this run.
    void addgame(const QString &winner, const QStringList &players);

    // Every counter back to "0" and no opponent followed.
    void reset();
    // Sets the this-run columns of every opponent to "0".
    void newSession();

    // Writes the grid as text (UTF-8, CR LF line ends); false when the
    // device took less than all of it.
    bool SaveGridToFile(QIODevice &out) const;
    // Reads a grid written by SaveGridToFile. The text must hold exactly the
    // cells its counts announce: 9 columns, 1 to kMaxRows rows, and numbers
    // (or nothing) in the counter cells; else TallyFormatError is raised and
    // the grid stays as it was. Lines may end in LF alone. Text that is not
    // UTF-8 is read as Latin-1.
    void LoadGridFromFile(QIODevice &in);

    // ---- The compressed tally file ----

    struct LoadResult {
        enum Status {
            Loaded,  // the file was read
            Absent,  // there was no file: an empty tally
            Damaged, // the file was no tally: moved aside, an empty tally
            Kept,    // the file could not be read or moved aside: an empty
                     // tally, and the file is never written over
        };
        Status status = Absent;
        // For Damaged and Kept: what to tell the user, naming the files.
        QString message;
    };

    // Replaces the tally with the one in the file (an empty one when there is
    // no file) and starts a new run (newSession). A file that is
    // damaged is renamed to the same name followed by ".damaged" (replacing
    // an older one), so that it is neither lost nor written over.
    LoadResult loadFile(const QString &path);

    // Writes the tally to `path` in one step: the compressed tally goes to a
    // temporary file in the same folder, which then replaces the old file.
    // On any error the old file stays as it was; the reason goes to *error.
    bool saveFile(const QString &path, QString *error = nullptr) const;

    // Called between the blocks of a compression or decompression.
    void setIdle(std::function<void()> idle) { idle_ = std::move(idle); }

private:
    using Row = std::array<QString, kColumns>;
    static Row zeroRow();
    LoadResult putAside(const QString &path, const QString &reason);

    std::vector<Row> rows_;
    // The file that loadFile could neither read nor put aside.
    QString keptFile_;
    std::function<void()> idle_;
};
