#pragma once

#include <QDialog>
#include <QString>

class QLabel;

// The About window. Its label "version" carries the version text that the
// client sends at login, so the two can never disagree.
class Tabout : public QDialog {
    Q_OBJECT
public:
    explicit Tabout(QWidget *parent = nullptr);

    QString versionText() const;

private:
    QLabel *version;
};
