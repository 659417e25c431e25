// The batch runner: destination names and folders, the log of a batch, and stopping at the
// first failed job.

#include "FileHelpers.h"
#include "JobFixture.h"
#include "Mp3Reader.h"
#include "batch/BatchRunner.h"
#include "batch/ConversionTaskBuilder.h"
#include "filelist/AudioFileProbe.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

using qvtest::OggFixtureSpec;

class BatchRunner : public JobFixture {
protected:
    // Generated sources (relative names below the test folder), probed and turned into jobs.
    void AddSources(const QStringList& names, const ConversionSettings& settings)
    {
        OggFixtureSpec recipe;
        recipe.frames = 2205;
        std::vector<ProbedFile> files;
        for (const QString& name : names) {
            QDir().mkpath(QFileInfo(m_dir.filePath(name)).path());
            const QString path = WriteOgg(name, recipe);
            files.push_back({path, ProbeFile(path)});
        }
        m_host.m_tasks = BuildConversionTasks(files, settings, &m_host.m_overallTotal);
        m_host.m_settings = settings;
    }

    // Runs the batch as the desktop and the command line do; true when it finished.
    bool Run()
    {
        m_host.m_running.store(1);
        BatchRunnerMain(m_host, std::chrono::milliseconds(0));
        return m_host.Finished();
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    void WriteFile(const QString& name, const QByteArray& bytes) { ASSERT_TRUE(WriteTestFile(Path(name), bytes)); }
    QByteArray Bytes(const QString& name) const { return ReadTestFile(Path(name)); }

    static ConversionSettings BesideSource()
    {
        ConversionSettings s;
        s.sameAsSource = 1;
        return s;
    }
};

TEST_F(BatchRunner, OneJobLogsItsStepsAndNoTotals)
{
    AddSources({QStringLiteral("song.ogg")}, BesideSource());
    ASSERT_TRUE(Run()) << m_host.Log().join(u'\n').toStdString();
    const QStringList log = m_host.Log();
    ASSERT_EQ(log.size(), 6) << log.join(u'\n').toStdString();
    EXPECT_EQ(log[0], QString(99, u'-'));
    EXPECT_EQ(log[1], QStringLiteral("Start a new converting task."));
    EXPECT_EQ(log[2], QStringLiteral("Source:  %1.").arg(Path(QStringLiteral("song.ogg"))));
    EXPECT_EQ(log[3], QStringLiteral("Destination: %1.").arg(Path(QStringLiteral("song.mp3"))));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Time elapsed \\d+\\.\\d\\d secs, speed \\d+\\.\\d\\dx\\.$"))
                    .match(log[4])
                    .hasMatch())
        << log[4].toStdString();
    EXPECT_EQ(log[5], QStringLiteral("Converting status: OK."));
    EXPECT_EQ(m_host.Titles(), QStringList{QStringLiteral("Converting 1/1")});
}

TEST_F(BatchRunner, SeveralJobsEndWithTheTotals)
{
    AddSources({QStringLiteral("a.ogg"), QStringLiteral("b.ogg")}, BesideSource());
    ASSERT_TRUE(Run());
    const QStringList log = m_host.Log();
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log[log.size() - 2], QString(99, u'-'));
    EXPECT_TRUE(log.last().startsWith(QStringLiteral("Total time elapsed "))) << log.last().toStdString();
    EXPECT_EQ(m_host.Titles(), (QStringList{QStringLiteral("Converting 1/2"), QStringLiteral("Converting 2/2")}));
}

TEST_F(BatchRunner, ExistingFilesAreNeverTouched)
{
    WriteFile(QStringLiteral("song.mp3"), "first");
    WriteFile(QStringLiteral("song (2).mp3"), "second");
    // Two jobs of one batch that want the same name, from two folders.
    ConversionSettings settings;
    settings.outputFolder = m_dir.path();
    AddSources({QStringLiteral("a/song.ogg"), QStringLiteral("b/song.ogg")}, settings);
    ASSERT_TRUE(Run());
    EXPECT_EQ(Bytes(QStringLiteral("song.mp3")), QByteArray("first"));
    EXPECT_EQ(Bytes(QStringLiteral("song (2).mp3")), QByteArray("second"));
    EXPECT_EQ(m_host.Paths(), (QStringList{Path(QStringLiteral("a/song.ogg")) + QStringLiteral(" -> ") +
                                               Path(QStringLiteral("song (3).mp3")),
                                           Path(QStringLiteral("b/song.ogg")) + QStringLiteral(" -> ") +
                                               Path(QStringLiteral("song (4).mp3"))}));
    EXPECT_TRUE(ReadMp3Properties(Path(QStringLiteral("song (4).mp3"))).ok);
}

TEST_F(BatchRunner, MissingOutputFoldersAreCreated)
{
    ConversionSettings settings;
    settings.outputFolder = Path(QStringLiteral("out/new/deeper"));
    AddSources({QStringLiteral("song.ogg")}, settings);
    ASSERT_TRUE(Run());
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("out/new/deeper/song.mp3"))));
}

TEST_F(BatchRunner, FolderThatCannotBeCreatedStopsTheBatch)
{
    WriteFile(QStringLiteral("blocker"), "a file where a folder should be");
    ConversionSettings settings;
    settings.outputFolder = Path(QStringLiteral("blocker/out"));
    AddSources({QStringLiteral("a.ogg"), QStringLiteral("b.ogg")}, settings);
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_host.Log().last(), QStringLiteral("E Fail to create folder %1 !").arg(settings.outputFolder));
    EXPECT_EQ(m_host.Titles().size(), 1);
}

TEST_F(BatchRunner, FailedJobStopsTheBatchAndRemovesItsFile)
{
    AddSources({QStringLiteral("1.ogg"), QStringLiteral("2.ogg"), QStringLiteral("3.ogg"), QStringLiteral("4.ogg"),
                QStringLiteral("5.ogg")},
               BesideSource());
    WriteFile(QStringLiteral("2.ogg"), QByteArray(5000, 'x')); // changed since it was listed
    EXPECT_FALSE(Run());
    const QStringList log = m_host.Log();
    EXPECT_EQ(log.last(), QStringLiteral("E Converting status: ERROR."));
    EXPECT_TRUE(log.contains(QStringLiteral("E Invalid ogg vorbis stream")));
    EXPECT_TRUE(log.contains(QStringLiteral("Removed the incomplete file %1").arg(Path(QStringLiteral("2.mp3")))));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("1.mp3"))));
    for (const char* absent : {"2.mp3", "3.mp3", "4.mp3", "5.mp3"})
        EXPECT_FALSE(QFile::exists(Path(QLatin1String(absent)))) << absent;
    EXPECT_EQ(m_host.Titles().size(), 2);
}

} // namespace
