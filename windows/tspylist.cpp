#include "windows/tspylist.h"

#include <QAction>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

Tspylist::Tspylist(QWidget *parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("spylistform"));
    setWindowTitle(QStringLiteral("ZB -Spys"));
    setFixedSize(162, 168);

    auto *title = new QLabel(QStringLiteral("Spy List"), this);
    title->setObjectName(QStringLiteral("label_spylist"));
    QFont big = title->font();
    big.setPointSize(12);
    big.setBold(true);
    title->setFont(big);
    title->setStyleSheet(QStringLiteral("color: red"));
    title->setGeometry(4, 138, 90, 26);

    listbox_spys = new QListWidget(this);
    listbox_spys->setObjectName(QStringLiteral("listbox_spys"));
    listbox_spys->setGeometry(4, 4, 154, 130);
    listbox_spys->viewport()->setMouseTracking(true);
    listbox_spys->viewport()->installEventFilter(this);
    listbox_spys->setContextMenuPolicy(Qt::CustomContextMenu);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("popup_spys"));
    popup_kickhim = popup_->addAction(QStringLiteral("Remove From Game"));
    popup_kickhim->setObjectName(QStringLiteral("popup_kickhim"));
    popup_kickhim->setEnabled(false);
    connect(popup_kickhim, &QAction::triggered, this, &Tspylist::popup_kickhimClick);
    connect(listbox_spys, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { popup_->popup(listbox_spys->viewport()->mapToGlobal(at)); });

    button_done = new QPushButton(QStringLiteral("DONE"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    button_done->setGeometry(96, 138, 62, 26);
    connect(button_done, &QPushButton::clicked, this, &QDialog::hide);
}

void Tspylist::setEntries(const QStringList &entries) {
    listbox_spys->clear();
    listbox_spys->addItems(entries);
}

QStringList Tspylist::entries() const {
    QStringList out;
    for (int i = 0; i < listbox_spys->count(); ++i)
        out << listbox_spys->item(i)->text();
    return out;
}

void Tspylist::setRemoveEnabled(bool on) {
    popup_kickhim->setEnabled(on);
}

bool Tspylist::eventFilter(QObject *watched, QEvent *event) {
    if (watched == listbox_spys->viewport() && event->type() == QEvent::MouseMove) {
        const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
        hovered_ = listbox_spys->indexAt(at).row();
    }
    return QDialog::eventFilter(watched, event);
}

void Tspylist::popup_kickhimClick() {
    if (hovered_ < 0 || hovered_ >= listbox_spys->count())
        return;
    const QString entry = listbox_spys->item(hovered_)->text();
    bool ok = false;
    const int seat = entry.section(QLatin1Char(':'), 0, 0).toInt(&ok, 10);
    if (ok)
        emit kickRequested(seat);
}
