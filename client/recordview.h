#pragma once

// A recorded game's board after some turn, as the game history shows it:
// the squares and letters as the board view paints them, with the
// coordinates, the turn's word framed, and under the board the rack the
// record holds for the seat to move (letters only: a record keeps no sides).

#include "game/position.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QWidget>

class TilePictures;

class RecordView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRackTop = 538;

    explicit RecordView(const TilePictures *pictures, QWidget *parent = nullptr);

    void showTurn(const game::Grid &board, const game::Grid &squares, const QList<QPoint> &framed,
                  const QString &rack);
    const game::Grid &board() const { return board_; }
    const QString &rack() const { return rack_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const TilePictures *pictures_;
    game::Grid board_{};
    game::Grid squares_{};
    QList<QPoint> framed_;
    QString rack_;
};
