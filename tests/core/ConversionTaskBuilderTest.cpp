// The output format and expected length of a job.

#include "batch/ConversionTaskBuilder.h"

#include <gtest/gtest.h>

namespace {

TEST(ConversionTaskBuilder, AutomaticSampleRate)
{
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {1, 8000},      {8000, 8000},   {8001, 11025},  {11000, 11025}, {11025, 11025}, {12000, 12000},
        {22050, 22050}, {32000, 32000}, {44100, 44100}, {44101, 48000}, {48000, 48000}, {96000, 48000},
    };
    for (const auto& [source, expected] : cases)
        EXPECT_EQ(PickAutomaticSampleRate(source), expected) << source;
    EXPECT_EQ(OutputSampleRateFor(3, 44100), 12000u);
    EXPECT_EQ(OutputSampleRateFor(42, 96000), 48000u) << "an index outside the table counts as automatic";
}

TEST(ConversionTaskBuilder, OutputFormatAndExpectedSamples)
{
    struct Case {
        std::uint32_t rate, channels;
        std::uint64_t totalSamples;
        std::int16_t channelMode, sampleRateIndex;
        std::uint32_t outRate, outChannels;
        std::uint64_t expected;
        bool converts;
    };
    const Case cases[] = {
        {44100, 2, 882000, CM_AUTOMATIC, 0, 44100, 2, 882000, false},
        {44100, 2, 882003, CM_MONO, 5, 22050, 1, 220500, true},   // a quarter, truncated
        {44100, 2, 882002, CM_MONO, 5, 22050, 1, 220500, true},
        {22050, 1, 100000, CM_AUTOMATIC, 0, 22050, 1, 100000, false},
        {22050, 1, 100001, CM_STEREO, 0, 22050, 2, 200002, true},
        {11000, 1, 11000, CM_AUTOMATIC, 0, 11025, 1, 11025, true},
        {48000, 6, 288000, CM_AUTOMATIC, 0, 48000, 2, 96000, true},
        {96000, 2, 192000, CM_DUAL_CHANNEL, 0, 48000, 2, 96000, true},
        {44100, 2, 7, CM_JOINT_STEREO, 9, 48000, 2, 6, true},      // down to whole frames
        {44100, 2, 0, CM_AUTOMATIC, 0, 44100, 2, 0, false},
    };
    for (const Case& c : cases) {
        AudioFileInfo info;
        info.sampleRate = c.rate;
        info.channels = c.channels;
        info.totalSamples = c.totalSamples;
        info.tagFlags = TF_VORBIS_COMMENT;
        info.title = QStringLiteral("T");
        ConversionSettings settings;
        settings.channelMode = c.channelMode;
        settings.sampleRateIndex = c.sampleRateIndex;
        const CConversionTask job =
            MakeConversionTask(info, QStringLiteral("/a/b.ogg"), QStringLiteral("/c/b.mp3"), settings);
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " ch, mode " << c.channelMode);
        EXPECT_EQ(job.outputSampleRate, c.outRate);
        EXPECT_EQ(job.outputChannels, c.outChannels);
        EXPECT_EQ(job.expectedSamples, c.expected);
        EXPECT_EQ(job.needsFormatConversion != 0, c.converts);
        EXPECT_EQ(job.sourceTagFlags, TF_VORBIS_COMMENT);
        EXPECT_EQ(job.title, QStringLiteral("T"));
    }
}

} // namespace
