// The sound call: a generated .wav starts (or the machine has no audio output) without
// the interface thread waiting for it, and files that are no sound are told apart.
#include "UiTestSupport.h"

#include "platform/ui/SoundPlayer.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cmath>
#include <cstdint>
#include <string>

namespace {

void PutLE(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// One second of a 440 Hz tone, 8 kHz mono 16-bit PCM.
std::string ToneWave(int seconds)
{
    const uint32_t rate = 8000;
    const uint32_t samples = rate * static_cast<uint32_t>(seconds);
    std::string wave = "RIFF";
    PutLE(wave, 36 + samples * 2, 4);
    wave += "WAVEfmt ";
    PutLE(wave, 16, 4);
    PutLE(wave, 1, 2);  // PCM
    PutLE(wave, 1, 2);  // mono
    PutLE(wave, rate, 4);
    PutLE(wave, rate * 2, 4);
    PutLE(wave, 2, 2);
    PutLE(wave, 16, 2);
    wave += "data";
    PutLE(wave, samples * 2, 4);
    for (uint32_t i = 0; i < samples; ++i)
        PutLE(wave, static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(i * 2 * M_PI * 440 / rate))), 2);
    return wave;
}

}  // namespace

TEST(Sound, AWaveStartsOrTheMissingDeviceIsToldAndTheCallNeverWaits)
{
    TempFolder folder;
    folder.write("tone.wav", ToneWave(2));
    QElapsedTimer clock;
    clock.start();
    const ESoundResult result = PlaySoundFile(folder.file("tone.wav").c_str());
    const qint64 took = clock.elapsed();
    ASSERT_TRUE(result == ESoundResult::kPlaying || result == ESoundResult::kNoDevice) << static_cast<int>(result);
    EXPECT_EQ(result == ESoundResult::kNoDevice, !HasSoundDevice());
    // The two-second sound is not waited for: the call came back long before its end,
    // and the event loop runs on while it plays.
    EXPECT_LT(took, 1000);
    bool ticked = false;
    QTimer::singleShot(50, [&] { ticked = true; });
    const qint64 ready = clock.elapsed();
    while (!ticked && clock.elapsed() - ready < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(ticked);
    if (result == ESoundResult::kNoDevice) {
        EXPECT_EQ(PlayingSoundCount(), 0);
    }
}

TEST(Sound, FilesThatAreNoSoundAreRefused)
{
    TempFolder folder;
    folder.write("not.wav", "ID3 this is no wave file at all");
    EXPECT_EQ(PlaySoundFile(folder.file("missing.wav").c_str()), ESoundResult::kMissingFile);
    EXPECT_EQ(PlaySoundFile(""), ESoundResult::kMissingFile);
    EXPECT_EQ(PlaySoundFile(folder.file("not.wav").c_str()), ESoundResult::kUnreadable);
}
