// Jobs that change the channel count or the sampling frequency through libsox.

#include "JobFixture.h"
#include "Mp3Reader.h"
#include "batch/ConversionTaskBuilder.h"
#include "filelist/AudioFileProbe.h"

#include <QFile>

#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;
using qvtest::OggFixtureSpec;

class FormatConversion : public JobFixture {
protected:
    // Writes a source, probes it and builds its job as the Convert commands do.
    CConversionTask Job(const OggFixtureSpec& recipe, std::int16_t channelMode, std::int16_t sampleRateIndex)
    {
        const QString ogg = WriteOgg(QStringLiteral("source.ogg"), recipe);
        ConversionSettings settings;
        settings.channelMode = channelMode;
        settings.sampleRateIndex = sampleRateIndex;
        m_host.m_settings = settings;
        return MakeConversionTask(ProbeFile(ogg), ogg, m_dir.filePath(QStringLiteral("source.mp3")), settings);
    }
};

TEST_F(FormatConversion, OutputHasTheChosenFormatAndLength)
{
    const struct {
        const char* name;
        int rate, channels;
        std::int16_t channelMode, sampleRateIndex;
        int outRate, outChannels;
        bool converts;
    } cases[] = {
        {"stereo 44.1 kHz to mono", 44100, 2, CM_MONO, 0, 44100, 1, true},
        {"mono 22.05 kHz, automatic", 22050, 1, CM_AUTOMATIC, 0, 22050, 1, false},
        {"six channels at 48 kHz to two", 48000, 6, CM_AUTOMATIC, 0, 48000, 2, true},
        {"96 kHz to 48 kHz", 96000, 2, CM_AUTOMATIC, 0, 48000, 2, true},
        {"11000 Hz to 11025 Hz", 11000, 1, CM_AUTOMATIC, 0, 11025, 1, true},
        {"mono 22.05 kHz to stereo 32 kHz", 22050, 1, CM_STEREO, 7, 32000, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OggFixtureSpec recipe;
        recipe.sampleRate = c.rate;
        recipe.channels = c.channels;
        recipe.frames = c.rate * 3;
        CConversionTask job = Job(recipe, c.channelMode, c.sampleRateIndex);
        ASSERT_EQ(job.needsFormatConversion != 0, c.converts);
        ASSERT_TRUE(Convert(job)) << m_host.Errors().join(u'\n').toStdString();
        EXPECT_TRUE(m_host.Errors().isEmpty());

        const Mp3Properties mp3 = ReadMp3Properties(job.destinationPath);
        ASSERT_TRUE(mp3.ok) << mp3.error.toStdString();
        EXPECT_EQ(mp3.sampleRate, c.outRate);
        EXPECT_EQ(mp3.channels, c.outChannels);
        EXPECT_NEAR(mp3.length, 3.0, 2 * (c.outRate >= 32000 ? 1152.0 : 576.0) / c.outRate);
        // The encoder got about as many samples as the job expected.
        EXPECT_NEAR(double(m_host.m_currentDone.load()), double(job.expectedSamples), 0.001 * job.expectedSamples);
        QFile::remove(job.destinationPath);
        m_host.m_currentDone.store(0);
    }
}

TEST_F(FormatConversion, DownmixKeepsTheMusic)
{
    OggFixtureSpec recipe;
    recipe.frames = 44100 * 2;
    CConversionTask job = Job(recipe, CM_MONO, 0);
    ASSERT_TRUE(Convert(job)) << m_host.Errors().join(u'\n').toStdString();

    std::vector<float> source, mp3;
    int channels = 0, rate = 0;
    ASSERT_TRUE(DecodeOgg(job.sourcePath, &source, &channels, &rate));
    ASSERT_TRUE(DecodeMp3(job.destinationPath, &mp3));
    std::vector<float> mono(source.size() / 2);
    for (std::size_t i = 0; i < mono.size(); ++i)
        mono[i] = (source[2 * i] + source[2 * i + 1]) / 2;
    EXPECT_GT(BestCorrelation(mono, mp3, 1, 0, 32), 0.95);
}

TEST_F(FormatConversion, StopDuringResamplingEndsEveryStage)
{
    OggFixtureSpec recipe;
    recipe.sampleRate = 96000;
    recipe.frames = 96000 * 30;
    CConversionTask job = Job(recipe, CM_AUTOMATIC, 0);
    ASSERT_TRUE(job.needsFormatConversion);
    m_host.m_running.store(1);
    m_host.m_overallTotal = job.expectedSamples;
    std::future<bool> done = std::async(std::launch::async, [&] {
        const bool decoded = RunConversionJob(job, m_host);
        JoinStageThreads(m_host);
        return decoded && m_host.m_running.load();
    });
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (m_host.m_currentDone.load() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_GT(m_host.m_currentDone.load(), 0u) << "nothing was encoded";

    m_host.m_running.store(0);
    ASSERT_EQ(done.wait_for(1s), std::future_status::ready) << "a stage did not stop";
    EXPECT_FALSE(done.get());
    EXPECT_TRUE(m_host.Errors().isEmpty()) << m_host.Errors().join(u'\n').toStdString();
    EXPECT_FALSE(QFile::exists(job.destinationPath));
}

} // namespace
