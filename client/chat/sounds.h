#pragma once

// The program's sound effects and chatter sounds, played by name from the
// embedded WAV files, asynchronously. Names ignore letter case.

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QSoundEffect;

class Sounds : public QObject {
    Q_OBJECT
public:
    explicit Sounds(QObject *parent = nullptr);
    ~Sounds() override;

    // A game sound: plays only while "Play Sounds" is on.
    void playsounds(const QString &name);
    // A chatter sound ("wave1" .. "wave20"): its own option decides, not "Play Sounds".
    void playchatter(const QString &name);

    void setEnabled(bool on) { enabled_ = on; }
    bool isEnabled() const { return enabled_; }

    // Whether an embedded sound of that name exists.
    static bool exists(const QString &name);
    // Every embedded sound name, lower case.
    static QStringList names();
    // False when the machine offers no audio output; nothing is played then.
    // Asked once, at the first sound, so that start-up does not wait for it.
    bool hasOutput();

signals:
    // A sound was started (or would have been, on a machine without audio).
    void started(const QString &name);

private:
    void play(const QString &name);

    bool enabled_ = true;
    std::optional<bool> hasOutput_;
    QHash<QString, QSoundEffect *> effects_;
};
