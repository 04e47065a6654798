#include "platform/ui/SoundPlayer.h"

#include "platform/ui/QtConvert.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace {

// "RIFF" size "WAVE": the header of a WAVE file.
bool LooksLikeWave(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

int& Playing()
{
    static int count = 0;
    return count;
}

} // namespace

bool HasSoundDevice()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

int PlayingSoundCount()
{
    return Playing();
}

ESoundResult PlaySoundFile(const CString& path)
{
    const QString file = ToQString(path);
    if (file.isEmpty() || !QFile::exists(file))
        return ESoundResult::kMissingFile;
    if (!LooksLikeWave(file))
        return ESoundResult::kUnreadable;
    if (!HasSoundDevice())
        return ESoundResult::kNoDevice;
    // Each sound has an effect of its own that deletes itself once it has played (or
    // could not be played); loading and playing happen without the caller waiting.
    auto* effect = new QSoundEffect(QCoreApplication::instance());
    ++Playing();
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error)
            effect->deleteLater();
        else if (effect->status() == QSoundEffect::Ready && !effect->isPlaying())
            effect->play();
    });
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying() && effect->status() == QSoundEffect::Ready)
            effect->deleteLater();
    });
    QObject::connect(effect, &QObject::destroyed, [] { --Playing(); });
    // A sound the device never finishes is let go after a minute.
    QTimer::singleShot(60000, effect, &QObject::deleteLater);
    effect->setSource(QUrl::fromLocalFile(file));
    return ESoundResult::kPlaying;
}
