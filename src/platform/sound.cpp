#include "platform/sound.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

namespace lxtv::platform {
namespace {

std::uint32_t readLe32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}
std::uint16_t readLe16(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

// An output of the platform's audio layer, fed from the wave's samples in memory.
class SinkOutput : public WaveOutput {
  public:
    SinkOutput(const QAudioDevice& device, const QAudioFormat& format, const QByteArray& samples)
        : sink_(device, format), buffer_(&sink_) {
        buffer_.setData(samples);
        buffer_.open(QIODevice::ReadOnly);
        QObject::connect(&sink_, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            if (state == QAudio::IdleState || state == QAudio::StoppedState) emit ended();
        });
    }
    ~SinkOutput() override {
        sink_.disconnect();
        sink_.stop();
    }
    bool start() {
        sink_.start(&buffer_);
        return sink_.error() == QAudio::NoError;
    }

  private:
    QAudioSink sink_;
    QBuffer buffer_;
};

WaveOutput* openSinkOutput(const WaveData& wave) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return nullptr;
    QAudioFormat format;
    format.setSampleRate(wave.sampleRate);
    format.setChannelCount(wave.channels);
    if (wave.bitsPerSample == 8)
        format.setSampleFormat(QAudioFormat::UInt8);
    else if (wave.bitsPerSample == 16)
        format.setSampleFormat(QAudioFormat::Int16);
    else if (wave.bitsPerSample == 32)
        format.setSampleFormat(QAudioFormat::Int32);
    else
        return nullptr;
    if (!device.isFormatSupported(format)) return nullptr;
    auto* output = new SinkOutput(device, format, wave.samples);
    if (!output->start()) {
        delete output;
        return nullptr;
    }
    return output;
}

// An output that never reports its end (a suspended sound server) is released this long after
// its samples should have been played.
constexpr int releaseMarginMs = 2000;
// Plays overlap; a device that keeps every output open must not gather them without end.
constexpr int maxOpenOutputs = 16;

std::atomic<int> openOutputs{0};

// The sound thread and the object that owns its outputs. Never destroyed: a thread stuck in a
// stalled device would make that abort the program; it is asked to stop when the application
// ends and left to the process's end if it cannot.
QObject* soundOwner() {
    static QObject* owner = [] {
        auto* thread = new QThread;
        thread->setObjectName(QStringLiteral("click sound"));
        auto* object = new QObject;
        object->moveToThread(thread);
        QObject::connect(thread, &QThread::finished, object, &QObject::deleteLater);
        thread->start();
        qAddPostRoutine([] {
            if (QThread* t = soundOwner()->thread()) {
                t->quit();
                t->wait(2000);
            }
        });
        return object;
    }();
    return owner;
}

// On the sound thread.
void startPlayback(const WaveData& wave) {
    if (openOutputs >= maxOpenOutputs) return;
    WaveOutput* output = waveOutputOpener(wave);
    if (output == nullptr) return;
    output->setParent(soundOwner());
    ++openOutputs;
    QObject::connect(output, &QObject::destroyed, [] { --openOutputs; });
    QObject::connect(output, &WaveOutput::ended, output, &QObject::deleteLater);
    const qint64 bytesPerSecond =
        std::max<qint64>(1, qint64(wave.sampleRate) * wave.channels * (wave.bitsPerSample / 8));
    const qint64 lengthMs = qint64(wave.samples.size()) * 1000 / bytesPerSecond;
    QTimer::singleShot(static_cast<int>(std::min<qint64>(lengthMs, 60000)) + releaseMarginMs,
                       output, &QObject::deleteLater);
}

void playOffTheCallersThread(const QByteArray& bytes) {
    const WaveData wave = parseWave(bytes);
    if (!wave.valid || wave.samples.isEmpty()) return;
    if (!QCoreApplication::instance()) return;
    QMetaObject::invokeMethod(
        soundOwner(), [wave] { startPlayback(wave); }, Qt::QueuedConnection);
}

}  // namespace

WaveData parseWave(const QByteArray& bytes) {
    WaveData out;
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return out;
    bool haveFormat = false;
    qsizetype pos = 12;
    while (pos + 8 <= size) {
        const std::uint32_t chunkSize = readLe32(data + pos + 4);
        const qsizetype body = pos + 8;
        const qsizetype available = size - body;
        if (std::memcmp(data + pos, "fmt ", 4) == 0) {
            if (chunkSize < 16 || available < 16) return out;
            if (readLe16(data + body) != 1) return out;  // PCM only
            out.channels = readLe16(data + body + 2);
            out.sampleRate = static_cast<int>(readLe32(data + body + 4));
            out.bitsPerSample = readLe16(data + body + 14);
            haveFormat = out.channels > 0 && out.sampleRate > 0 && out.bitsPerSample > 0;
        } else if (std::memcmp(data + pos, "data", 4) == 0) {
            if (!haveFormat) return out;
            // A data chunk that claims more than the file holds plays what is there.
            const qsizetype length = std::min<qsizetype>(chunkSize, available);
            out.samples = bytes.mid(body, length);
            out.valid = true;
            return out;
        }
        // Chunks are padded to an even length.
        const qsizetype next = body + static_cast<qsizetype>(chunkSize) + (chunkSize & 1);
        if (next <= pos) break;
        pos = next;
    }
    return out;
}

Seam<void(const QByteArray&)> wavePlayer(playOffTheCallersThread);
Seam<WaveOutput*(const WaveData&)> waveOutputOpener(openSinkOutput);

int openWaveOutputs() {
    return openOutputs;
}

void playWave(const QByteArray& wave) {
    wavePlayer(wave);
}

}  // namespace lxtv::platform
