// The MP3's tags, from the source's Vorbis comment through the probe and the job, read back
// with mutagen and a plain ID3v1 reader.

#include "JobFixture.h"
#include "Mp3Reader.h"
#include "batch/ConversionTaskBuilder.h"
#include "engine/Mp3Tags.h"
#include "filelist/AudioFileProbe.h"

#include <QJsonArray>

namespace {

using qvtest::OggFixtureSpec;

class Mp3Tags : public JobFixture {
protected:
    // Converts a generated source with these comments; returns the MP3's tags.
    QJsonObject ConvertWithComments(const std::vector<std::pair<std::string, std::string>>& comments)
    {
        OggFixtureSpec recipe;
        recipe.frames = 4410;
        recipe.comments = comments;
        const QString ogg = WriteOgg(QStringLiteral("tagged.ogg"), recipe);
        CConversionTask job = MakeConversionTask(ProbeFile(ogg), ogg, m_dir.filePath(QStringLiteral("tagged.mp3")), {});
        EXPECT_TRUE(Convert(job)) << m_host.Errors().join(u'\n').toStdString();
        EXPECT_EQ(ReadMp3Properties(job.destinationPath).ok, true) << "tags broke the audio";
        return ReadId3Tags(job.destinationPath);
    }
};

TEST_F(Mp3Tags, EveryFieldGoesToItsFrame)
{
    const QJsonObject tags = ConvertWithComments({{"ARTIST", "Artist"},
                                                  {"ALBUMARTIST", "Album Artist"},
                                                  {"ALBUM", "Album"},
                                                  {"TRACKNUMBER", "7/12"},
                                                  {"TITLE", "Title"},
                                                  {"GENRE", "Rock"},
                                                  {"DATE", "2009-05-01"},
                                                  {"COMMENT", "Comment"}});
    const QJsonObject v2 = tags[QStringLiteral("id3v2")].toObject();
    EXPECT_EQ(v2[QStringLiteral("version")].toString(), QStringLiteral("2.4"));
    const QJsonObject frames = v2[QStringLiteral("frames")].toObject();
    const QJsonObject expectedFrames{
        {QStringLiteral("TPE1"), QStringLiteral("Artist")},
        {QStringLiteral("TPE2"), QStringLiteral("Album Artist")},
        {QStringLiteral("TALB"), QStringLiteral("Album")},
        {QStringLiteral("TRCK"), QStringLiteral("7/12")},
        {QStringLiteral("TIT2"), QStringLiteral("Title")},
        {QStringLiteral("TCON"), QStringLiteral("Rock")},
        {QStringLiteral("TDRC"), QStringLiteral("2009-05-01")},
        {QStringLiteral("COMM"), QStringLiteral("Comment")},
        {QStringLiteral("TENC"), QStringLiteral("Quillvane\r\n") + QLatin1String(kProductUrl)},
    };
    EXPECT_EQ(frames, expectedFrames);

    const QJsonObject expectedV1{
        {QStringLiteral("title"), QStringLiteral("Title")},   {QStringLiteral("artist"), QStringLiteral("Artist")},
        {QStringLiteral("album"), QStringLiteral("Album")},   {QStringLiteral("year"), QStringLiteral("2009")},
        {QStringLiteral("comment"), QStringLiteral("Comment")}, {QStringLiteral("track"), 7},
        {QStringLiteral("genre"), 17}, // "Rock" in the ID3v1 genre list
    };
    EXPECT_EQ(tags[QStringLiteral("id3v1")].toObject(), expectedV1);
}

TEST_F(Mp3Tags, TextOutsideLatin1AndJoinedValues)
{
    const QString title = QStringLiteral("Łódź café 🎵");
    const QJsonObject tags = ConvertWithComments(
        {{"ARTIST", "A"}, {"ARTIST", "B"}, {"ALBUM ARTIST", "Only here"}, {"TITLE", title.toStdString()}});
    const QJsonObject frames = tags[QStringLiteral("id3v2")].toObject()[QStringLiteral("frames")].toObject();
    EXPECT_EQ(frames[QStringLiteral("TIT2")].toString(), title);
    EXPECT_EQ(frames[QStringLiteral("TPE1")].toString(), QStringLiteral("A B"));
    EXPECT_EQ(frames[QStringLiteral("TPE2")].toString(), QStringLiteral("Only here"));
    for (const char* absent : {"TALB", "TRCK", "TCON", "TDRC", "COMM"})
        EXPECT_FALSE(frames.contains(QLatin1String(absent))) << absent << " written for an empty field";

    const QJsonObject v1 = tags[QStringLiteral("id3v1")].toObject();
    EXPECT_EQ(v1[QStringLiteral("title")].toString(), QStringLiteral("?ód? café ?"));
    EXPECT_EQ(v1[QStringLiteral("artist")].toString(), QStringLiteral("A B"));
    EXPECT_EQ(v1[QStringLiteral("album")].toString(), QString());
    EXPECT_EQ(v1[QStringLiteral("track")].toInt(), 0);
}

TEST_F(Mp3Tags, SourceWithoutCommentGivesNoTags)
{
    const QJsonObject tags = ConvertWithComments({});
    EXPECT_TRUE(tags[QStringLiteral("id3v2")].isNull());
    EXPECT_TRUE(tags[QStringLiteral("id3v1")].isNull());
}

TEST_F(Mp3Tags, FailedSaveIsReportedAndTheBatchGoesOn)
{
    CConversionTask job;
    job.sourceTagFlags = TF_VORBIS_COMMENT;
    job.title = QStringLiteral("T");
    job.destinationPath = m_dir.path(); // a folder cannot take tags
    m_host.m_running.store(1);
    EXPECT_FALSE(WriteMp3Tags(job, m_host));
    EXPECT_EQ(m_host.Errors(), QStringList{QStringLiteral("Fail to write tag!") + m_dir.path()});
    EXPECT_EQ(m_host.m_running.load(), 1);
}

} // namespace
