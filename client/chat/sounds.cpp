#include "client/chat/sounds.h"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

static void initSoundResources() {
    Q_INIT_RESOURCE(zorble_sounds);
}

namespace {

// Sound names are plain words; anything else (from the network too) is no sound.
QString resourcePath(const QString &name) {
    if (name.isEmpty() || name.size() > 32)
        return {};
    for (QChar ch : name)
        if (!(ch.isLetterOrNumber() && ch.unicode() < 128))
            return {};
    return QStringLiteral(":/sounds/") + name.toLower() + QStringLiteral(".wav");
}

} // namespace

Sounds::Sounds(QObject *parent) : QObject(parent) {
    initSoundResources();
}

bool Sounds::hasOutput() {
    if (!hasOutput_)
        hasOutput_ = !QMediaDevices::defaultAudioOutput().isNull();
    return *hasOutput_;
}

Sounds::~Sounds() = default;

bool Sounds::exists(const QString &name) {
    initSoundResources();
    const QString path = resourcePath(name);
    return !path.isEmpty() && QFile::exists(path);
}

QStringList Sounds::names() {
    initSoundResources();
    QStringList list;
    for (const QString &file : QDir(QStringLiteral(":/sounds")).entryList(QDir::Files, QDir::Name))
        list.append(file.chopped(4).toLower());
    return list;
}

void Sounds::playsounds(const QString &name) {
    if (enabled_)
        play(name);
}

void Sounds::playchatter(const QString &name) {
    play(name);
}

void Sounds::play(const QString &name) {
    if (!exists(name))
        return;
    const QString key = name.toLower();
    emit started(key);
    if (!hasOutput())
        return;
    QSoundEffect *&effect = effects_[key];
    if (!effect) {
        effect = new QSoundEffect(this);
        effect->setSource(QUrl(QStringLiteral("qrc") + resourcePath(key)));
    }
    // Loading is asynchronous; a sound asked for while it loads plays once loaded.
    effect->stop();
    effect->play();
}
