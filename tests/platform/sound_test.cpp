// The click sound's outputs: opened away from the caller's thread, released when their play
// ends, fails, or never ends.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/sound.h"
#include "support/event_helpers.h"

namespace lxtv::platform {
namespace {

// A RIFF WAVE of a few milliseconds.
QByteArray shortWave() {
    auto le = [](QByteArray& out, quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const QByteArray samples(441, '\0');  // 5 ms of 16-bit mono at 44,100 Hz, roughly
    QByteArray w = "RIFF";
    le(w, 36 + samples.size(), 4);
    w += "WAVEfmt ";
    le(w, 16, 4);
    le(w, 1, 2);
    le(w, 1, 2);
    le(w, 44100, 4);
    le(w, 88200, 4);
    le(w, 2, 2);
    le(w, 16, 2);
    w += "data";
    le(w, samples.size(), 4);
    return w + samples;
}

using namespace std::chrono_literals;

// The caller's thread never opens an output, however long the sound server takes to answer,
// and every play gets its own output.
TEST(ClickSound, OpeningNeverStallsTheCaller) {
    std::atomic<bool> answer{false};
    std::atomic<int> openings{0};
    std::atomic<bool> onCallersThread{false};
    const auto opener = waveOutputOpener.replaceWith([&](const WaveData&) -> WaveOutput* {
        onCallersThread = onCallersThread || QThread::currentThread() == qApp->thread();
        // A sound server that does not answer until told (or 20 s pass).
        for (int i = 0; i < 2000 && !answer; ++i) std::this_thread::sleep_for(10ms);
        ++openings;
        auto* output = new WaveOutput;
        QMetaObject::invokeMethod(output, &WaveOutput::ended, Qt::QueuedConnection);
        return output;
    });
    playWave(shortWave());
    playWave(shortWave());
    EXPECT_EQ(openings, 0) << "a play waited for its output to open";
    answer = true;
    EXPECT_TRUE(test::waitFor([&] { return openings == 2; }, 20000));
    EXPECT_FALSE(onCallersThread);
    EXPECT_TRUE(test::waitFor([] { return openWaveOutputs() == 0; }, 10000));
}

// An output is released when its play ends, when it cannot be opened, and when it never says
// it has ended (then after the wave's length and a margin).
TEST(ClickSound, EveryOutputIsReleased) {
    std::atomic<int> made{0};
    std::atomic<int> released{0};
    const auto opener = waveOutputOpener.replaceWith([&](const WaveData&) -> WaveOutput* {
        const int n = ++made;
        if (n == 2) return nullptr;  // the device refused
        auto* output = new WaveOutput;
        QObject::connect(output, &QObject::destroyed, [&released] { ++released; });
        if (n == 1) QMetaObject::invokeMethod(output, &WaveOutput::ended, Qt::QueuedConnection);
        return output;  // the third never ends
    });
    for (int i = 0; i < 3; ++i) playWave(shortWave());
    EXPECT_TRUE(test::waitFor([&] { return made == 3; }, 10000));
    EXPECT_TRUE(test::waitFor([&] { return released == 2; }, 15000));
    EXPECT_EQ(openWaveOutputs(), 0);
}

}  // namespace
}  // namespace lxtv::platform
