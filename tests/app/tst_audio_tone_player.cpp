#include "app/AudioTonePlayer.h"

#include <QtEndian>
#include <QtTest>
#include <cmath>

class TestAudioTonePlayer : public QObject
{
    Q_OBJECT
private slots:
    void sineHasTheAskedFrequencyAndLength()
    {
        const int rate = 22050;
        const QByteArray pcm = AudioTonePlayer::sinePcm(1000, 300, rate);
        QCOMPARE(pcm.size(), rate * 300 / 1000 * 2);
        // Count rising zero crossings: 1000 Hz for 0.3 s is 300 periods.
        int crossings = 0;
        qint16 previous = 0;
        for (int i = 0; i < pcm.size() / 2; ++i) {
            const auto s = qFromLittleEndian<qint16>(pcm.constData() + 2 * i);
            if (previous < 0 && s >= 0)
                ++crossings;
            previous = s;
        }
        QVERIFY(std::abs(crossings - 300) <= 1);
        QVERIFY(AudioTonePlayer::sinePcm(1000, 0, rate).isEmpty());
        QCOMPARE(AudioTonePlayer::sinePcm(300, 5, rate).size(), 110 * 2);
    }

    void playingIsHarmlessWithOrWithoutADevice()
    {
        AudioTonePlayer player;
        player.play(1000, 10);
        player.play(300, 300); // overlapping request is skipped, never queued
        player.play(0, 10);
        player.play(1000, -1);
        QVERIFY(true);
    }
};

QTEST_MAIN(TestAudioTonePlayer)
#include "tst_audio_tone_player.moc"
