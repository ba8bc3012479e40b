#pragma once

#include <QApplication>

// The one application object the widget tests share.
inline QApplication *qtApp() {
    static int argc = 1;
    static char name[] = "chat_tests";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return app;
}

// A base for fixtures whose members are widgets: constructs the application first.
struct WithQtApp {
    WithQtApp() { qtApp(); }
};

#include <QStringList>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString &s, std::ostream *os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os) {
    *os << '{';
    for (const QString &s : l)
        *os << " \"" << s.toStdString() << '"';
    *os << " }";
}
