#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QTcpSocket>

#include <functional>

// Makes sure a QCoreApplication exists (tests that need widgets create a
// QApplication themselves before calling this).
void ensureCoreApp();

// Runs the event loop until cond() holds or the time is up; returns cond().
bool waitUntil(const std::function<bool()> &cond, int timeoutMs = 5000);
// Runs the event loop for the given time.
void spin(int ms);

// A protocol-speaking client built on QTcpSocket, independent of the
// program's own socket component, for driving a host in tests.
class TestClient {
public:
    TestClient();
    ~TestClient();

    // The host's address (the IPv4 loopback unless set).
    void setAddress(const QHostAddress &address);
    bool connectTo(quint16 port, int timeoutMs = 5000);
    // Sends the text followed by 0xFF.
    void send(const QString &message);
    void sendRaw(const QByteArray &bytes);
    void close();

    // Connects and logs in; returns the slot the host gave, 0 on failure.
    int join(quint16 port, const QString &name, const QString &version = QStringLiteral("2.1.1"));
    // Whether join asks for a rejoin token before its login, as the window does.
    bool asksForToken = false;

    // Every message received so far, in order, as text.
    const QStringList &lines() const { return lines_; }
    // Messages not yet taken with next(); next() returns an empty string and
    // false when none arrives in time.
    bool next(QString &line, int timeoutMs = 5000);
    // Waits for a message that starts with the prefix, skipping others.
    QString waitFor(const QString &prefix, int timeoutMs = 5000);
    // Takes every message that has arrived and forgets them.
    QStringList drain();
    int countStartingWith(const QString &prefix) const;
    bool waitClosed(int timeoutMs = 5000);
    bool isOpen() const;
    int slot() const { return slot_; }
    QTcpSocket &socket() { return *sock_; }

private:
    void onReadyRead();

    QTcpSocket *sock_;
    QHostAddress address_;
    QByteArray carry_;
    QStringList lines_;
    int taken_ = 0;
    int slot_ = 0;
};
