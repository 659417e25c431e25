// quillvane-cli as a user runs it: a separate process with its own settings folder.

#include "Mp3Reader.h"
#include "OggFixture.h"
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using qvtest::OggFixtureSpec;

struct CliResult {
    int exitCode = -1;
    QString out, err;
};

class Cli : public ::testing::Test {
protected:
    Cli()
    {
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
        m_env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
        QDir().mkpath(Path(QStringLiteral("home")));
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QString WriteOgg(const QString& name, std::int64_t frames = 4410, int rate = 44100)
    {
        QDir().mkpath(QFileInfo(Path(name)).path());
        OggFixtureSpec recipe;
        recipe.frames = frames;
        recipe.sampleRate = rate;
        recipe.comments = {{"TITLE", "Song"}};
        EXPECT_EQ(qvtest::WriteOggFixture(Path(name).toStdString(), recipe), "");
        return Path(name);
    }

    void StartCli(QProcess& process, const QStringList& arguments)
    {
        process.setProcessEnvironment(m_env);
        process.start(QStringLiteral(QV_CLI_PATH), arguments);
        ASSERT_TRUE(process.waitForStarted());
    }

    CliResult RunCli(const QStringList& arguments)
    {
        QProcess process;
        StartCli(process, arguments);
        CliResult result;
        if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
            result.exitCode = process.exitCode();
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    QStringList Mp3sIn(const QString& folder) const
    {
        return QDir(Path(folder)).entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
    }

    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
};

TEST_F(Cli, ConvertsAFolderAndTellsWhatHappened)
{
    WriteOgg(QStringLiteral("music/a.ogg"));
    WriteOgg(QStringLiteral("music/b.OGG"));
    WriteOgg(QStringLiteral("music/sub/c.ogg"));
    const CliResult flat = RunCli({QStringLiteral("-o"), Path(QStringLiteral("out")), Path(QStringLiteral("music"))});
    EXPECT_EQ(flat.exitCode, 0) << flat.err.toStdString();
    EXPECT_EQ(Mp3sIn(QStringLiteral("out")), (QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}));
    EXPECT_TRUE(flat.out.contains(QStringLiteral("Converting status: OK.")));
    EXPECT_TRUE(flat.out.contains(QStringLiteral("Total time elapsed ")));

    // Again with sub-folders: the existing MP3s stay, the new ones get numbered names.
    const CliResult deep =
        RunCli({QStringLiteral("-r"), QStringLiteral("-o"), Path(QStringLiteral("out")), Path(QStringLiteral("music"))});
    EXPECT_EQ(deep.exitCode, 0) << deep.err.toStdString();
    EXPECT_EQ(Mp3sIn(QStringLiteral("out")), (QStringList{QStringLiteral("a (2).mp3"), QStringLiteral("a.mp3"),
                                                           QStringLiteral("b (2).mp3"), QStringLiteral("b.mp3"),
                                                           QStringLiteral("c.mp3")}));
}

TEST_F(Cli, DryRunConvertsNothing)
{
    WriteOgg(QStringLiteral("a.ogg"));
    QFile existing(Path(QStringLiteral("a.mp3")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    const CliResult r = RunCli({QStringLiteral("-n"), QStringLiteral("-s"), Path(QStringLiteral("a.ogg"))});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.trimmed(), Path(QStringLiteral("a.ogg")) + QStringLiteral(" -> ") + Path(QStringLiteral("a (2).mp3")));
    EXPECT_EQ(Mp3sIn(QString()), QStringList{QStringLiteral("a.mp3")});
}

TEST_F(Cli, SettingsFileGivesTheDefaults)
{
    QDir().mkpath(Path(QStringLiteral("config/Quillvane")));
    QFile ini(Path(QStringLiteral("config/Quillvane/Config.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[output]\r\nsameassrc=1\r\n[MP3]\r\nLameBits=16\r\nLameChannel=1\r\n");
    ini.close();
    WriteOgg(QStringLiteral("song.ogg"));
    const CliResult r = RunCli({QStringLiteral("-q"), Path(QStringLiteral("song.ogg"))});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << "quiet printed " << r.out.toStdString();
    const Mp3Properties mp3 = ReadMp3Properties(Path(QStringLiteral("song.mp3")));
    EXPECT_NEAR(mp3.bitrate, 320000, 1000);
    EXPECT_EQ(mp3.channels, 1);
    // The command line wins over the file.
    EXPECT_EQ(RunCli({QStringLiteral("-b"), QStringLiteral("64"), QStringLiteral("-c"), QStringLiteral("auto"),
                      QStringLiteral("-o"), Path(QStringLiteral("o")), Path(QStringLiteral("song.ogg"))})
                  .exitCode,
              0);
    EXPECT_NEAR(ReadMp3Properties(Path(QStringLiteral("o/song.mp3"))).bitrate, 64000, 1000);
}

TEST_F(Cli, BadInputGetsAClearMessageAndTheRightStatus)
{
    const QString good = WriteOgg(QStringLiteral("good.ogg"));
    QDir().mkpath(Path(QStringLiteral("empty")));
    QDir().mkpath(Path(QStringLiteral("dir.ogg")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path(QStringLiteral("fifo.ogg"))).constData(), 0600), 0);
    QFile text(Path(QStringLiteral("text.ogg")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not audio");
    text.close();
    QFile blocker(Path(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const struct {
        QStringList arguments;
        int exitCode;
        QString message;
    } cases[] = {
        {{QStringLiteral("-o"), Path(QStringLiteral("out")), Path(QStringLiteral("missing.ogg"))}, 2,
         QStringLiteral("no such file or folder: ") + Path(QStringLiteral("missing.ogg"))},
        {{QStringLiteral("-o"), Path(QStringLiteral("out")), Path(QStringLiteral("empty"))}, 2,
         QStringLiteral("no Ogg Vorbis files in ") + Path(QStringLiteral("empty"))},
        {{QStringLiteral("-o"), Path(QStringLiteral("out")), Path(QStringLiteral("fifo.ogg"))}, 2,
         QStringLiteral("skipping %1: not a regular file").arg(Path(QStringLiteral("fifo.ogg")))},
        {{QStringLiteral("-o"), Path(QStringLiteral("out")), Path(QStringLiteral("text.ogg"))}, 2,
         QStringLiteral("nothing to convert")},
        {{QStringLiteral("-o"), Path(QStringLiteral("blocker/out")), good}, 1,
         QStringLiteral("Fail to create folder %1 !").arg(Path(QStringLiteral("blocker/out")))},
        {{QStringLiteral("-b"), QStringLiteral("100"), good}, 2, QStringLiteral("invalid value for --bitrate: 100")},
        {{QStringLiteral("-f"), QStringLiteral("44000"), good}, 2, QStringLiteral("invalid value for --frequency")},
        {{QStringLiteral("-o"), Path(QStringLiteral("x")), QStringLiteral("-s"), good}, 2,
         QStringLiteral("exclude each other")},
        {{}, 2, QStringLiteral("no PATH given")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CliResult r = RunCli(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("out"))));
}

TEST_F(Cli, InterruptStopsAtOnceAndLeavesNoPartialFile)
{
    const QString source = WriteOgg(QStringLiteral("long.ogg"), 48000 * 120, 48000);
    QProcess process;
    StartCli(process, {QStringLiteral("-f"), QStringLiteral("44100"), QStringLiteral("-o"), Path(QStringLiteral("out")),
                       source});
    const QString mp3 = Path(QStringLiteral("out/long.mp3"));
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (QFileInfo(mp3).size() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_GT(QFileInfo(mp3).size(), 0) << "no output appeared";

    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(1000)) << "still running a second after Ctrl+C";
    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_FALSE(QFile::exists(mp3));
}

TEST_F(Cli, FullDiskLeavesNoPartialFile)
{
    const QString disk = Path(QStringLiteral("disk"));
    QDir().mkpath(disk);
    if (::geteuid() != 0 || ::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "needs root and a tmpfs mount";
    const QString source = WriteOgg(QStringLiteral("song.ogg"), 44100 * 20);
    const CliResult r = RunCli({QStringLiteral("-o"), disk, source});
    ::umount(QFile::encodeName(disk).constData());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Output file write error"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Converting status: ERROR.")));
    EXPECT_TRUE(QDir(disk).entryList(QDir::Files).isEmpty());
}

} // namespace
