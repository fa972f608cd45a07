#include "platform/sound.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QThread>
#include <algorithm>
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

// One playback: owns its buffer and its sink, and removes itself when the samples are used up
// or the device fails.
void startPlayback(const WaveData& wave) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return;
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
        return;
    if (!device.isFormatSupported(format)) return;

    auto* sink = new QAudioSink(device, format, qApp);
    auto* buffer = new QBuffer(sink);
    buffer->setData(wave.samples);
    buffer->open(QIODevice::ReadOnly);
    QObject::connect(sink, &QAudioSink::stateChanged, sink, [sink](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState) {
            sink->disconnect();
            sink->stop();
            sink->deleteLater();
        }
    });
    sink->start(buffer);
    if (sink->error() != QAudio::NoError) {
        sink->disconnect();
        sink->deleteLater();
    }
}

void playOnAppThread(const QByteArray& bytes) {
    const WaveData wave = parseWave(bytes);
    if (!wave.valid || wave.samples.isEmpty()) return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    if (QThread::currentThread() == app->thread())
        startPlayback(wave);
    else
        QMetaObject::invokeMethod(
            app, [wave] { startPlayback(wave); }, Qt::QueuedConnection);
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

Seam<void(const QByteArray&)> wavePlayer(playOnAppThread);

void playWave(const QByteArray& wave) {
    wavePlayer(wave);
}

}  // namespace lxtv::platform
