// Whole jobs on generated files, checked with independent readers: mutagen for the stream
// properties and mpg123 for the audio.

#include "JobFixture.h"
#include "Mp3Reader.h"

#include <cmath>

namespace {

using qvtest::OggFixtureSpec;

struct RoundTripCase {
    const char* name;
    int rate;
    int channels;
    std::int64_t frames;
    std::int16_t bitrateIndex;
    std::int16_t channelMode;
    int expectedMode;  // MPEG channel mode in the frame headers
    float peak;
};

class ConversionRoundTrip : public JobFixture, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(ConversionRoundTrip, Mp3MatchesTheSource)
{
    const RoundTripCase c = GetParam();
    OggFixtureSpec recipe;
    recipe.sampleRate = c.rate;
    recipe.channels = c.channels;
    recipe.frames = c.frames;
    recipe.peak = c.peak;
    const QString ogg = WriteOgg(QStringLiteral("source.ogg"), recipe);
    CConversionTask job = JobFor(ogg, recipe, QStringLiteral("source.mp3"));
    m_host.m_settings.bitrateIndex = c.bitrateIndex;
    m_host.m_settings.channelMode = c.channelMode;

    ASSERT_TRUE(Convert(job)) << m_host.Errors().join(u'\n').toStdString();
    EXPECT_TRUE(m_host.Errors().isEmpty());
    const auto progress = m_host.Progress();
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(progress.back().final);
    EXPECT_FLOAT_EQ(progress.back().current, 100.0f);

    const Mp3Properties mp3 = ReadMp3Properties(job.destinationPath);
    ASSERT_TRUE(mp3.ok) << mp3.error.toStdString();
    EXPECT_EQ(mp3.sampleRate, c.rate);
    EXPECT_EQ(mp3.channels, c.channels);
    EXPECT_NEAR(mp3.bitrate, kBitrateTable[std::size_t(c.bitrateIndex)] * 1000, 1000); // mutagen derives it from the size
    EXPECT_TRUE(mp3.cbr) << "no Info header";
    EXPECT_EQ(mp3.mode, c.expectedMode);
    const double frameSeconds = (c.rate >= 32000 ? 1152.0 : 576.0) / c.rate;
    EXPECT_NEAR(mp3.length, double(c.frames) / c.rate, frameSeconds);

    std::vector<float> decodedOgg, decodedMp3;
    int oggChannels = 0, oggRate = 0;
    ASSERT_TRUE(DecodeOgg(ogg, &decodedOgg, &oggChannels, &oggRate));
    ASSERT_TRUE(DecodeMp3(job.destinationPath, &decodedMp3));
    ASSERT_EQ(decodedMp3.size(), decodedOgg.size()) << "gapless length differs from the source";
    if (c.frames < c.rate / 10)
        return; // too short for a meaningful comparison of the audio
    for (int ch = 0; ch < c.channels; ++ch) {
        int lag = 0;
        const double r = BestCorrelation(decodedOgg, decodedMp3, c.channels, ch, 32, &lag);
        EXPECT_GT(r, 0.95) << "channel " << ch;
        EXPECT_EQ(lag, 0) << "channel " << ch;
    }
}

// Chunks are 1152 frames per channel at 32 kHz and above, 576 below.
INSTANTIATE_TEST_SUITE_P(
    Formats, ConversionRoundTrip,
    ::testing::Values(
        RoundTripCase{"Mono22050", 22050, 1, 22050 * 2, 11, CM_AUTOMATIC, 3, 0.5f},
        RoundTripCase{"Stereo44100", 44100, 2, 44100 * 3, 11, CM_AUTOMATIC, 1, 0.5f},
        RoundTripCase{"Stereo48000ExactChunks", 48000, 2, 1152 * 100, 13, CM_STEREO, 0, 0.5f},
        RoundTripCase{"Stereo22050ExactChunks", 22050, 2, 576 * 77, 9, CM_DUAL_CHANNEL, 2, 0.5f},
        RoundTripCase{"ShorterThanAChunk", 44100, 2, 1000, 11, CM_JOINT_STEREO, 1, 0.5f},
        // -60 dBFS: every sample lies below 2^22, so any loss of low-order bits silences it.
        RoundTripCase{"QuietPassage", 44100, 2, 44100 * 2, 11, CM_AUTOMATIC, 1, 0.001f}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(JobFixture, EmptyStreamGivesAValidFile)
{
    OggFixtureSpec recipe;
    recipe.frames = 0;
    const QString ogg = WriteOgg(QStringLiteral("empty.ogg"), recipe);
    CConversionTask job = JobFor(ogg, recipe, QStringLiteral("empty.mp3"));
    ASSERT_TRUE(Convert(job)) << m_host.Errors().join(u'\n').toStdString();
    const auto progress = m_host.Progress();
    ASSERT_EQ(progress.size(), 1u);
    EXPECT_TRUE(progress[0].final);
    EXPECT_FLOAT_EQ(progress[0].current, 100.0f); // no NaN for a total of 0
    std::vector<float> decoded;
    EXPECT_TRUE(DecodeMp3(job.destinationPath, &decoded));
    EXPECT_TRUE(decoded.empty());
}

} // namespace
