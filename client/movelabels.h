#pragma once

#include <QLabel>

#include <functional>
#include <memory>

class GameMirror;
class TDictn;
class TilePictures;
namespace rules {
class Rules;
}

// Under the rack: what the host would make of the tiles laid this turn, or
// why it would refuse them. Empty and hidden while no tile of the own turn
// lies on the board.
class PreviewLabel : public QLabel {
    Q_OBJECT
public:
    // hostRules gives the rules of the host in this program, or nothing when
    // the program does not host; the label then judges with rules of its own
    // on the program's word list.
    PreviewLabel(const GameMirror &mirror, std::function<const rules::Rules *()> hostRules,
                 QWidget *parent);
    ~PreviewLabel() override;

    void refresh();

private:
    const rules::Rules &judge();

    const GameMirror &mirror_;
    std::function<const rules::Rules *()> hostRules_;
    std::shared_ptr<const TDictn> ownWords_;
    std::unique_ptr<rules::Rules> ownRules_;
};

// The tile picked up, drawn beside the pointer over the board and the rack.
// The pointer is never over it, so clicks reach the square or tile beneath.
class DragImage : public QLabel {
    Q_OBJECT
public:
    DragImage(const GameMirror &mirror, const TilePictures *pictures, QWidget *parent);

    // Shows the tile being dragged, or hides the image when none is.
    void refresh();
    // Puts the image beside a pointer at a global position.
    void follow(QPoint global);

private:
    const GameMirror &mirror_;
    const TilePictures *pictures_;
};
