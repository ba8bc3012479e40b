#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;

// Options > Your Name: the name the other players see. OK keeps the
// dialog open with the reason while the name cannot be used.
class NameDialog : public QDialog {
    Q_OBJECT
public:
    // `problem` tells why a name cannot be used, or nothing when it can.
    explicit NameDialog(std::function<QString(const QString &)> problem, QWidget *parent = nullptr);

    void setName(const QString &name);
    // The name as accepted, without blanks around it.
    QString name() const;
    QString reason() const;
    QLineEdit *field() const { return edit_; }

    void accept() override;

private:
    std::function<QString(const QString &)> problem_;
    QLineEdit *edit_ = nullptr;
    QLabel *reason_ = nullptr;
};
