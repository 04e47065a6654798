// Playing a .wav file (alert sounds): the call starts the sound and returns at once; the
// sound plays on the audio library's own thread. Interface thread only.
#pragma once

#include "platform/core/CString.h"

enum class ESoundResult {
    kPlaying,      // started
    kNoDevice,     // the machine has no audio output: nothing is played
    kMissingFile,  // no such file
    kUnreadable,   // not a WAVE file
};

ESoundResult PlaySoundFile(const CString& path);
// Whether the machine has an audio output.
bool HasSoundDevice();
// The sounds started and not yet finished.
int PlayingSoundCount();
