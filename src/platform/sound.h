#pragma once

// Plays a RIFF WAVE held in memory. Each call starts its own playback and returns at once;
// plays overlap, and a missing or failing sound device goes unnoticed.

#include <QByteArray>

#include "platform/seam.h"

namespace lxtv::platform {

// Callable from any thread; the playback itself is started on the application's thread.
void playWave(const QByteArray& wave);

// The PCM layout and samples of a RIFF WAVE; valid is false when the bytes are not a PCM wave.
struct WaveData {
    bool valid = false;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    QByteArray samples;
};
WaveData parseWave(const QByteArray& wave);

// What playWave plays with; tests stand in for it to count plays.
extern Seam<void(const QByteArray&)> wavePlayer;

}  // namespace lxtv::platform
