#include "app/AudioTonePlayer.h"

#include <QBuffer>
#include <QtMath>
#include <cstring>

#ifdef TALVO_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#endif

struct AudioTonePlayer::Output
{
#ifdef TALVO_HAVE_MULTIMEDIA
    QBuffer buffer; // declared first: the sink that reads it goes first
    std::unique_ptr<QAudioSink> sink;
#endif
};

AudioTonePlayer::AudioTonePlayer(QObject *parent) : QObject(parent), m_output(std::make_unique<Output>())
{
#ifdef TALVO_HAVE_MULTIMEDIA
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    QAudioFormat format;
    format.setSampleRate(m_sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return;
    m_output->sink = std::make_unique<QAudioSink>(device, format);
    QAudioSink *sink = m_output->sink.get();
    connect(sink, &QAudioSink::stateChanged, this, [sink](QAudio::State state) {
        if (state == QAudio::IdleState)
            sink->stop();
    });
    m_hasDevice = true;
#endif
}

AudioTonePlayer::~AudioTonePlayer()
{
#ifdef TALVO_HAVE_MULTIMEDIA
    if (m_output->sink)
        m_output->sink->stop();
#endif
}

QByteArray AudioTonePlayer::sinePcm(int frequencyHz, int durationMs, int sampleRate)
{
    const int samples = qMax(0, int(qint64(sampleRate) * durationMs / 1000));
    QByteArray pcm(samples * 2, Qt::Uninitialized);
    const double step = 2.0 * M_PI * frequencyHz / sampleRate;
    for (int i = 0; i < samples; ++i) {
        const auto v = qint16(qSin(step * i) * 12000.0);
        std::memcpy(pcm.data() + 2 * i, &v, 2);
    }
    return pcm;
}

void AudioTonePlayer::play(int frequencyHz, int durationMs)
{
#ifdef TALVO_HAVE_MULTIMEDIA
    if (!m_hasDevice || frequencyHz <= 0 || durationMs <= 0)
        return;
    QAudioSink *sink = m_output->sink.get();
    if (sink->state() == QAudio::ActiveState)
        return;
    sink->stop();
    m_output->buffer.close();
    m_output->buffer.setData(sinePcm(frequencyHz, durationMs, m_sampleRate));
    m_output->buffer.open(QIODevice::ReadOnly);
    sink->start(&m_output->buffer);
#else
    Q_UNUSED(frequencyHz)
    Q_UNUSED(durationMs)
#endif
}
