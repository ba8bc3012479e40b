#include "client/movelabels.h"

#include "client/movepreview.h"
#include "client/pictures.h"
#include "clientcore/gamemirror.h"
#include "dict/tdictn.h"
#include "rules/rules.h"

PreviewLabel::PreviewLabel(const GameMirror &mirror,
                           std::function<const rules::Rules *()> hostRules, QWidget *parent)
    : QLabel(parent), mirror_(mirror), hostRules_(std::move(hostRules)) {
    setObjectName(QStringLiteral("label_preview"));
    setTextFormat(Qt::PlainText);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    hide();
}

PreviewLabel::~PreviewLabel() = default;

const rules::Rules &PreviewLabel::judge() {
    if (const rules::Rules *host = hostRules_())
        return *host;
    if (!ownRules_) {
        ownWords_ = TDictn::shared();
        ownRules_ = std::make_unique<rules::Rules>(
            [words = ownWords_.get()](const QString &word) { return words->FindWord(word); });
    }
    return *ownRules_;
}

void PreviewLabel::refresh() {
    QString line;
    if (mirror_.ownTurn() && !mirror_.composer().laidTiles().isEmpty())
        if (const auto verdict = movepreview::judgeLaid(mirror_, judge()))
            line = movepreview::describe(*verdict);
    setText(line);
    setVisible(!line.isEmpty());
}

DragImage::DragImage(const GameMirror &mirror, const TilePictures *pictures, QWidget *parent)
    : QLabel(parent), mirror_(mirror), pictures_(pictures) {
    setObjectName(QStringLiteral("image_dragging"));
    resize(TilePictures::kSquare, TilePictures::kSquare);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void DragImage::refresh() {
    if (mirror_.composer().dragTile() == 0) {
        hide();
        clear();
        return;
    }
    // The drag text is side "+" letter.
    const int letter = mirror_.composer().dragText().section(QLatin1Char('+'), 1).toInt();
    setPixmap(pictures_->little(letter));
    show();
    raise();
}

void DragImage::follow(QPoint global) {
    move(parentWidget()->mapFromGlobal(global) + QPoint(3, 3));
}
