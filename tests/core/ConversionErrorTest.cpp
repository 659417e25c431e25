// Jobs that fail: each reports its own line and leaves no MP3 behind.

#include "FaultyEncoderApi.h"
#include "JobFixture.h"

#include <QFile>

namespace {

using qvtest::OggFixtureSpec;

class ConversionErrors : public JobFixture {
protected:
    OggFixtureSpec recipe;

    // Runs the job and checks that it failed with exactly `line` and left no MP3.
    void ExpectFailure(CConversionTask& job, const QString& line)
    {
        EXPECT_FALSE(Convert(job));
        EXPECT_EQ(m_host.Errors(), QStringList{line});
        EXPECT_EQ(m_host.m_running.load(), 0);
        EXPECT_FALSE(QFile::exists(job.destinationPath));
        EXPECT_TRUE(Mp3Files().isEmpty()) << Mp3Files().join(u' ').toStdString();
    }
};

TEST_F(ConversionErrors, MissingSourceStartsNoStage)
{
    CConversionTask job = JobFor(m_dir.filePath(QStringLiteral("missing.ogg")), recipe, QStringLiteral("out.mp3"));
    ExpectFailure(job, QStringLiteral("File Error: No such file or directory"));
    EXPECT_TRUE(m_host.Infos().isEmpty()); // no encoder ran, so nothing was created or removed
}

TEST_F(ConversionErrors, FileThatIsNotOggVorbis)
{
    const QString source = m_dir.filePath(QStringLiteral("text.ogg"));
    QFile text(source);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(20000, 'x'));
    text.close();
    CConversionTask job = JobFor(source, recipe, QStringLiteral("text.mp3"));
    ExpectFailure(job, QStringLiteral("Invalid ogg vorbis stream"));
}

TEST_F(ConversionErrors, TruncatedFileFailsAtItsEnd)
{
    recipe.frames = 44100 * 4;
    const QString source = WriteOgg(QStringLiteral("cut.ogg"), recipe);
    QFile cut(source);
    ASSERT_TRUE(cut.resize(cut.size() / 2 + 1001));
    CConversionTask job = JobFor(source, recipe, QStringLiteral("cut.mp3"));
    ExpectFailure(job, QStringLiteral("Fatal read error: -3"));
}

TEST_F(ConversionErrors, StreamOfAnotherFormatThanTheJob)
{
    recipe.channels = 1;
    const QString source = WriteOgg(QStringLiteral("mono.ogg"), recipe);
    OggFixtureSpec listed = recipe;
    listed.channels = 2; // as if the file had changed since it was listed
    CConversionTask job = JobFor(source, listed, QStringLiteral("mono.mp3"));
    ExpectFailure(job, QStringLiteral("Unsupported ogg vorbis stream: 1 channels at 44100 Hz where 2 channels at "
                                      "44100 Hz were expected"));
}

TEST_F(ConversionErrors, DestinationThatCannotBeCreated)
{
    const QString source = WriteOgg(QStringLiteral("song.ogg"), recipe);
    // A regular file where the output folder should be: creating inside it fails even for root.
    const QString notAFolder = WriteOgg(QStringLiteral("folder"), recipe);
    CConversionTask job = JobFor(source, recipe, QStringLiteral("song.mp3"));
    job.destinationPath = notAFolder + QStringLiteral("/song.mp3");
    ExpectFailure(job, QStringLiteral("Error creating file %1").arg(job.destinationPath));
}

TEST_F(ConversionErrors, ExistingDestinationIsNeverReplaced)
{
    const QString source = WriteOgg(QStringLiteral("song.ogg"), recipe);
    CConversionTask job = JobFor(source, recipe, QStringLiteral("song.mp3"));
    QFile existing(job.destinationPath);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();
    EXPECT_FALSE(Convert(job));
    EXPECT_EQ(m_host.Errors(), QStringList{QStringLiteral("Error creating file %1").arg(job.destinationPath)});
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("keep me"));
}

TEST_F(ConversionErrors, EncoderCallsThatFail)
{
    using Fail = FaultyEncoderApi::Fail;
    const struct {
        Fail fail;
        QString line;
        QString box;
    } cases[] = {
        {Fail::Load, QStringLiteral("Error loading libmp3lame.so.0"), QStringLiteral("Error Loading libmp3lame.so.0")},
        {Fail::EntryPoints, QStringLiteral("Unable to get LAME interfaces"), QStringLiteral("Unable to Get LAME Interfaces")},
        {Fail::InitStream, QStringLiteral("Error opening encoding stream (2)"), {}},
        {Fail::EncodeChunk, QStringLiteral("beEncodeChunk() failed (5)"), {}},
        {Fail::DeinitStream, QStringLiteral("beExitStream failed (5)"), {}},
    };
    const QString source = WriteOgg(QStringLiteral("song.ogg"), recipe);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        FaultyEncoderApi api(c.fail);
        ScopedEncoderApi scoped(&api);
        TestBatchHost host;
        CConversionTask job = JobFor(source, recipe, QStringLiteral("song.mp3"));
        host.m_running.store(1);
        RunConversionJob(job, host);
        JoinStageThreads(host);
        EXPECT_EQ(host.m_running.load(), 0);
        EXPECT_EQ(host.Errors(), QStringList{c.line});
        EXPECT_EQ(host.Boxes(), c.box.isEmpty() ? QStringList{} : QStringList{c.box});
        EXPECT_FALSE(QFile::exists(job.destinationPath));
    }
}

} // namespace
