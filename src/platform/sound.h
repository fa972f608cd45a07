#pragma once

// Plays a RIFF WAVE held in memory. Each call starts its own playback and returns at once;
// plays overlap, and a missing or failing sound device goes unnoticed.

#include <QByteArray>
#include <QObject>

#include "platform/seam.h"

namespace lxtv::platform {

// Callable from any thread, and never waits for the sound device: the output is opened and
// fed on a sound thread of its own, so a slow or suspended sound server cannot stall the
// caller (the window thread, mostly).
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

// One open audio output playing one wave, on the sound thread. It reports when its play has
// ended (the samples are used up, or the device failed); it is then released. One that never
// reports it is released once the wave's length and a margin have passed.
class WaveOutput : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

  signals:
    void ended();
};

// Opens an output for the wave and starts the play; null when none could be opened. Runs on
// the sound thread. Tests stand in for it.
extern Seam<WaveOutput*(const WaveData&)> waveOutputOpener;

// How many outputs are open now.
int openWaveOutputs();

}  // namespace lxtv::platform
