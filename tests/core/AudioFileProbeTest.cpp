// The file probe: types by extension, comment fields, audio properties, the bit rate shown in
// the list, and the files it must refuse without blocking or opening them.

#include "FileHelpers.h"
#include "OggFixture.h"
#include "engine/ConversionTask.h"
#include "engine/NumberText.h"
#include "filelist/AudioFileProbe.h"
#include "filelist/ExtensionTypeTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <taglib/vorbisfile.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using qvtest::OggFixtureSpec;
using Comments = std::vector<std::pair<std::string, std::string>>;
using Texts = std::map<std::string, std::string>;

// The record's non-empty texts by field name, so that a text in the wrong field shows.
Texts TextsOf(const AudioFileInfo& info)
{
    const std::pair<const char*, const QString*> fields[] = {
        {"artist", &info.artist}, {"albumArtist", &info.albumArtist}, {"album", &info.album},
        {"track", &info.track},   {"title", &info.title},             {"genre", &info.genre},
        {"date", &info.date},     {"comment", &info.comment},
    };
    Texts texts;
    for (const auto& [name, text] : fields) {
        if (!text->isEmpty())
            texts[name] = text->toStdString();
    }
    return texts;
}

// Every field of the record on one line, for comparing whole records.
std::string Describe(const AudioFileInfo& info)
{
    std::string line = "unreadable=" + std::to_string(info.unreadable) + " type=" + std::to_string(info.type) +
                       " tags=" + std::to_string(info.tagFlags) + " track=" + std::to_string(info.trackNumber) +
                       "/" + std::to_string(info.trackTotal) + " rate=" + std::to_string(info.sampleRate) +
                       " channels=" + std::to_string(info.channels) + " samples=" + std::to_string(info.totalSamples) +
                       " kbps=" + std::to_string(info.bitrateKbps) + " MB=" + std::to_string(info.sizeMB) +
                       " s=" + std::to_string(info.durationSeconds);
    for (const auto& [name, text] : TextsOf(info))
        line += " " + name + "=" + text;
    return line;
}

// A short mono file: enough for everything that does not look at the audio itself.
OggFixtureSpec ShortSpec(const Comments& comments = {})
{
    OggFixtureSpec recipe;
    recipe.sampleRate = 8000;
    recipe.channels = 1;
    recipe.frames = 4000;
    recipe.comments = comments;
    return recipe;
}

// Ten MPEG-1 Layer III frame headers (128 kbit/s, 44100 Hz, stereo), each followed by zeros
// up to the frame's length: enough for TagLib to report the stream's bit rate.
QByteArray Mp3Frames()
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    return frame.repeated(10);
}

// Counts the times a file or folder is opened while it is watched.
class OpenWatch {
public:
    explicit OpenWatch(const QString& path)
    {
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0)
            m_watch = ::inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_OPEN);
    }
    ~OpenWatch()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;

    bool Watching() const { return m_watch >= 0; }

    int Opens() const
    {
        int opens = 0;
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                opens += (event->mask & IN_OPEN) != 0;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return opens;
    }

private:
    int m_fd = -1;
    int m_watch = -1;
};

// ProbeFile on a worker thread. Should it block on a FIFO, the FIFO gets a writer and loses it
// again, which ends a blocked open or read, so the test fails instead of hanging. A reader that
// opened the FIFO read-write is its own writer and never sees an end: then the run stops here.
AudioFileInfo ProbeWithWatchdog(const QString& path)
{
    auto probe = std::async(std::launch::async, [path] { return ProbeFile(path); });
    if (probe.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
        ADD_FAILURE() << "probing " << path.toStdString() << " blocked";
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        if (probe.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            std::fprintf(stderr, "probing %s still blocks; stopping the tests\n", qPrintable(path));
            std::abort();
        }
    }
    return probe.get();
}

class AudioFileProbe : public TempFolderTest {
protected:
    QString WriteOgg(const QString& name, const OggFixtureSpec& recipe)
    {
        const QString path = PathOf(name);
        EXPECT_EQ(qvtest::WriteOggFixture(QFile::encodeName(path).toStdString(), recipe), "");
        return path;
    }
};

TEST(ExtensionTypeTable, TypeComesFromTheTextAfterTheLastDot)
{
    const struct {
        const char* name;
        const char* text;
        std::uint8_t type;
    } cases[] = {
        {"song.ogg", "OGG", AFT_OGG_VORBIS},
        {"song.Ogg", "OGG", AFT_OGG_VORBIS},
        {"x.mp3", "MP3", AFT_MP3},
        {"X.MP3", "MP3", AFT_MP3},
        {"live.2009.ogg", "OGG", AFT_OGG_VORBIS},
        {".ogg", "OGG", AFT_OGG_VORBIS},
        {"song.ogg.txt", "TXT", AFT_UNKNOWN},
        {"song.flac", "FLAC", AFT_UNKNOWN},
        {"song.", "", AFT_UNKNOWN},
        {"README", "README", AFT_UNKNOWN},
        {"ogg", "OGG", AFT_OGG_VORBIS}, // no dot: the whole name counts
        {"", "", AFT_UNKNOWN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(FileExtensionText(name), QString::fromUtf8(c.text));
        EXPECT_EQ(FileTypeForName(name), c.type);
    }
}

TEST(LeadingInt, ReadsLikeAtoi)
{
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"2009-05-01", 2009}, {"3/12", 3}, {"007", 7},  {"  42 ", 42}, {"\t\n\v\f\r9", 9}, {"+8", 8},
        {"-12", -12},         {"- 5", 0},  {"+-5", 0},  {"abc", 0},    {"", 0},            {"0x1F", 0},
        {"1e3", 1},           {"2147483647", INT_MAX},  {"-2147483648", INT_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LeadingInt(QString::fromUtf8(c.text)), c.value);
        EXPECT_EQ(LeadingInt(QString::fromUtf8(c.text)), std::atoi(c.text));
    }
    // Digits of other scripts are not decimal digits to atoi either.
    EXPECT_EQ(LeadingInt(QStringLiteral("\u0663")), 0);
    // Out of range, where atoi itself is undefined, the value is clamped.
    EXPECT_EQ(LeadingInt(QStringLiteral("99999999999")), INT_MAX);
    EXPECT_EQ(LeadingInt(QStringLiteral("-99999999999")), INT_MIN);
}

TEST(TagText, KeepsEveryCharacter)
{
    for (const char* utf8 : {"", "plain", "Caf\u00e9", "\u0141\u00f3d\u017a \U0001F3B5", "\u65e5\u672c\u8a9e",
                             "\U0001D11E clef \U0001F600"}) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(TagTextToWide(TagLib::String(utf8, TagLib::String::UTF8)), QString::fromUtf8(utf8));
    }
}

TEST(VorbisComment, FieldsAndTheirAlternates)
{
    const struct {
        const char* what;
        Comments fields;
        Texts texts;
    } cases[] = {
        {"each field to its own text",
         {{"ARTIST", "Ar"}, {"ALBUM ARTIST", "Aa"}, {"ALBUM", "Al"}, {"TRACKNUMBER", "2"}, {"TITLE", "Ti"},
          {"GENRE", "Ge"}, {"DATE", "Da"}, {"COMMENT", "Co"}},
         {{"artist", "Ar"}, {"albumArtist", "Aa"}, {"album", "Al"}, {"track", "2"}, {"title", "Ti"},
          {"genre", "Ge"}, {"date", "Da"}, {"comment", "Co"}}},
        {"ALBUM ARTIST wins, wherever it stands",
         {{"ALBUMARTIST", "Other"}, {"ALBUM ARTIST", "Main"}},
         {{"albumArtist", "Main"}}},
        {"ALBUMARTIST alone", {{"ALBUMARTIST", "Only"}}, {{"albumArtist", "Only"}}},
        {"YEAR without DATE", {{"YEAR", "1999"}}, {{"date", "1999"}}},
        {"DATE wins over YEAR", {{"YEAR", "1999"}, {"DATE", "2001-02-03"}}, {{"date", "2001-02-03"}}},
        {"TRACK without TRACKNUMBER", {{"TRACK", "5"}}, {{"track", "5"}}},
        {"TRACKNUMBER wins over TRACK", {{"TRACK", "5"}, {"TRACKNUMBER", "6"}}, {{"track", "6"}}},
        {"values of one field joined by a space",
         {{"ARTIST", "A"}, {"GENRE", "Jazz"}, {"ARTIST", "B"}, {"ARTIST", "C D"}},
         {{"artist", "A B C D"}, {"genre", "Jazz"}}},
        {"values of an alternate joined as well",
         {{"ALBUMARTIST", "X"}, {"ALBUMARTIST", "Y"}},
         {{"albumArtist", "X Y"}}},
        {"fields that are not read", {{"DESCRIPTION", "d"}, {"PERFORMER", "p"}, {"ALBUM_ARTIST", "a"}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TagLib::Ogg::XiphComment comment;
        for (const auto& [field, value] : c.fields)
            comment.addField(TagLib::String(field, TagLib::String::UTF8), TagLib::String(value, TagLib::String::UTF8),
                             false);
        AudioFileInfo info;
        ReadVorbisComment(comment, info);
        EXPECT_EQ(TextsOf(info), c.texts);
    }
}

TEST(VorbisComment, TrackNumberAndTotal)
{
    const struct {
        const char* track;
        int number;
        int total;
    } cases[] = {
        {"3/12", 3, 12},   {"7", 7, 0},        {"300", 44, 0},  {"12/300", 12, 44}, {" 4/ 10", 4, 10},
        {"/5", 0, 5},      {"x/y", 0, 0},      {"3/12/20", 3, 12}, {"05 of 9", 5, 0}, {"-1", 255, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.track);
        TagLib::Ogg::XiphComment comment;
        comment.addField("TRACKNUMBER", c.track);
        AudioFileInfo info;
        ReadVorbisComment(comment, info);
        EXPECT_EQ(info.track, QString::fromUtf8(c.track));
        EXPECT_EQ(info.trackNumber, c.number);
        EXPECT_EQ(info.trackTotal, c.total);
    }
}

TEST_F(AudioFileProbe, RatesAndChannels)
{
    const struct {
        int rate;
        int channels;
        std::int64_t frames;
    } cases[] = {
        {8000, 1, 20000},
        {22050, 2, 33075},
        {48000, 6, 60000},
        {96000, 2, 150000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels");
        OggFixtureSpec recipe;
        recipe.sampleRate = c.rate;
        recipe.channels = c.channels;
        recipe.frames = c.frames;
        const QString path = WriteOgg(QStringLiteral("song.ogg"), recipe);

        const AudioFileInfo info = ProbeFile(path);
        EXPECT_EQ(info.unreadable, 0);
        EXPECT_EQ(info.type, AFT_OGG_VORBIS);
        EXPECT_EQ(info.sampleRate, std::uint32_t(c.rate));
        EXPECT_EQ(info.channels, std::uint32_t(c.channels));
        EXPECT_EQ(info.totalSamples, std::uint64_t(c.frames) * std::uint64_t(c.channels));
        EXPECT_DOUBLE_EQ(info.durationSeconds, double(c.frames) / c.rate);
        EXPECT_DOUBLE_EQ(info.sizeMB, double(QFileInfo(path).size()) / 1048576.0);
        EXPECT_EQ(info.tagFlags, 0);
        // Near what the file's size says, headers and pages included.
        const double kbpsFromSize = QFileInfo(path).size() * 8.0 / info.durationSeconds / 1000.0;
        EXPECT_GT(info.bitrateKbps, 0.6 * kbpsFromSize);
        EXPECT_LT(info.bitrateKbps, 1.1 * kbpsFromSize);
    }
}

TEST_F(AudioFileProbe, BitrateIsTagLibsScaledBy1024ForOggVorbis)
{
    for (const float quality : {-0.1f, 0.4f, 1.0f}) {
        SCOPED_TRACE(quality);
        OggFixtureSpec recipe;
        recipe.frames = 88200;
        recipe.quality = quality;
        const QString path = WriteOgg(QStringLiteral("song.ogg"), recipe);

        const QByteArray name = QFile::encodeName(path);
        TagLib::Ogg::Vorbis::File reference(name.constData());
        ASSERT_TRUE(reference.isValid() && reference.audioProperties());
        const int reported = reference.audioProperties()->bitrate();
        ASSERT_GT(reported, 0);
        EXPECT_EQ(ProbeFile(path).bitrateKbps, int(reported * 1.024 + 0.5)) << "TagLib reports " << reported;
    }
}

TEST_F(AudioFileProbe, Mp3KeepsTheBitrateTagLibReports)
{
    const AudioFileInfo info = ProbeFile(WriteFile(QStringLiteral("frames.mp3"), Mp3Frames()));
    EXPECT_EQ(info.type, AFT_MP3);
    EXPECT_EQ(info.unreadable, 1);
    EXPECT_EQ(info.bitrateKbps, 128);
    EXPECT_EQ(info.sampleRate, 0u);
}

TEST_F(AudioFileProbe, CommentFromTheFile)
{
    const std::string title = "\u0141\u00f3d\u017a \U0001F3B5";
    const QString path = WriteOgg(QStringLiteral("tagged.ogg"),
                                  ShortSpec({{"artist", "lower-case name"},
                                             {"ALBUMARTIST", "Other"},
                                             {"ALBUM ARTIST", "Main"},
                                             {"ALBUM", "\u65e5\u672c"},
                                             {"TRACKNUMBER", "3/12"},
                                             {"TITLE", title},
                                             {"GENRE", "Folk"},
                                             {"YEAR", "1999"},
                                             {"COMMENT", "first"},
                                             {"COMMENT", "second"}}));
    const AudioFileInfo info = ProbeFile(path);
    EXPECT_EQ(info.unreadable, 0);
    EXPECT_EQ(info.tagFlags, TF_VORBIS_COMMENT);
    EXPECT_EQ(TextsOf(info), (Texts{{"artist", "lower-case name"},
                                    {"albumArtist", "Main"},
                                    {"album", "\u65e5\u672c"},
                                    {"track", "3/12"},
                                    {"title", title},
                                    {"genre", "Folk"},
                                    {"date", "1999"},
                                    {"comment", "first second"}}));
    EXPECT_EQ(info.title, QString::fromUtf8(title.c_str())); // exactly, surrogate pair included
    EXPECT_EQ(info.trackNumber, 3);
    EXPECT_EQ(info.trackTotal, 12);
}

TEST_F(AudioFileProbe, CommentWithOnlyItsVendorIsNoComment)
{
    const AudioFileInfo info = ProbeFile(WriteOgg(QStringLiteral("plain.ogg"), ShortSpec()));
    EXPECT_EQ(info.unreadable, 0);
    EXPECT_EQ(info.tagFlags, 0);
    EXPECT_EQ(TextsOf(info), Texts{});
    EXPECT_EQ(info.trackNumber, 0);
    EXPECT_EQ(info.trackTotal, 0);
}

TEST_F(AudioFileProbe, FilesThatCannotBeConverted)
{
    const QString ogg = WriteOgg(QStringLiteral("source.ogg"), ShortSpec({{"TITLE", "t"}}));
    const QByteArray oggBytes = ReadFile(ogg);
    ASSERT_FALSE(oggBytes.isEmpty());
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("album.ogg")));
    const QString fifo = m_dir.filePath(QStringLiteral("fifo.ogg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    const struct {
        const char* what;
        QString path;
        std::uint8_t type;
        bool neverOpened; // not a regular file: must not even be opened
    } cases[] = {
        {"a few bytes named .mp3", WriteFile(QStringLiteral("x.mp3"), "ID3"), AFT_MP3, false},
        {"Ogg Vorbis named .mp3", WriteFile(QStringLiteral("song.mp3"), oggBytes), AFT_MP3, false},
        {"Ogg Vorbis without an extension", WriteFile(QStringLiteral("README"), oggBytes), AFT_UNKNOWN, false},
        {"empty", WriteFile(QStringLiteral("empty.ogg"), {}), AFT_OGG_VORBIS, false},
        {"text", WriteFile(QStringLiteral("text.ogg"), QByteArray(5000, 'x')), AFT_OGG_VORBIS, false},
        {"cut in its headers", WriteFile(QStringLiteral("headers.ogg"), oggBytes.left(200)), AFT_OGG_VORBIS, false},
        {"cut after its first page", WriteFile(QStringLiteral("page.ogg"), oggBytes.left(58)), AFT_OGG_VORBIS,
         false},
        {"stream without audio", WriteOgg(QStringLiteral("silence.ogg"), [] {
             OggFixtureSpec recipe = ShortSpec();
             recipe.frames = 0;
             return recipe;
         }()),
         AFT_OGG_VORBIS, false},
        {"FIFO", fifo, AFT_OGG_VORBIS, true},
        {"link to a FIFO", m_dir.filePath(QStringLiteral("link.ogg")), AFT_OGG_VORBIS, true},
        {"folder", m_dir.filePath(QStringLiteral("album.ogg")), AFT_OGG_VORBIS, true},
        {"missing", m_dir.filePath(QStringLiteral("missing.ogg")), AFT_OGG_VORBIS, false},
        {"dangling link", m_dir.filePath(QStringLiteral("dangling.ogg")), AFT_OGG_VORBIS, false},
    };
    ASSERT_TRUE(QFile::link(fifo, m_dir.filePath(QStringLiteral("link.ogg"))));
    ASSERT_TRUE(QFile::link(m_dir.filePath(QStringLiteral("missing.ogg")), m_dir.filePath(QStringLiteral("dangling.ogg"))));

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<OpenWatch> watch;
        if (c.neverOpened) {
            watch.emplace(c.path);
            ASSERT_TRUE(watch->Watching());
        }
        const AudioFileInfo info = ProbeWithWatchdog(c.path);
        EXPECT_EQ(info.unreadable, 1);
        EXPECT_EQ(info.type, c.type);
        EXPECT_EQ(info.tagFlags, 0);
        if (watch) {
            EXPECT_EQ(watch->Opens(), 0);
        }
    }
}

TEST_F(AudioFileProbe, FileCutInItsAudioIsStillListed)
{
    OggFixtureSpec recipe;
    recipe.frames = 44100 * 3;
    recipe.comments = {{"TITLE", "cut"}};
    const QString path = WriteOgg(QStringLiteral("cut.ogg"), recipe);
    QFile file(path);
    ASSERT_TRUE(file.resize(file.size() * 6 / 10));

    const AudioFileInfo info = ProbeFile(path);
    EXPECT_EQ(info.unreadable, 0);
    EXPECT_EQ(info.sampleRate, 44100u);
    EXPECT_EQ(info.channels, 2u);
    EXPECT_GT(info.totalSamples, 0u);
    EXPECT_LT(info.totalSamples, std::uint64_t(recipe.frames) * 2);
    EXPECT_EQ(info.title, QStringLiteral("cut"));
    EXPECT_GT(info.bitrateKbps, 0);
}

TEST_F(AudioFileProbe, SameResultsOnManyThreads)
{
    QStringList paths;
    for (int i = 0; i < 4; ++i) {
        OggFixtureSpec recipe = ShortSpec({{"TITLE", "song " + std::to_string(i)}, {"TRACKNUMBER", std::to_string(i)}});
        recipe.channels = 1 + i % 2;
        recipe.seed = std::uint32_t(i + 1);
        paths << WriteOgg(QStringLiteral("song%1.ogg").arg(i), recipe);
    }
    paths << WriteFile(QStringLiteral("frames.mp3"), Mp3Frames());
    std::vector<std::string> expected;
    for (const QString& path : paths)
        expected.push_back(Describe(ProbeFile(path)));

    std::vector<std::vector<std::string>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results) {
        threads.emplace_back([&paths, &result] {
            for (int round = 0; round < 5; ++round) {
                for (const QString& path : paths)
                    result.push_back(Describe(ProbeFile(path)));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const auto& result : results) {
        ASSERT_EQ(result.size(), 5 * expected.size());
        for (std::size_t i = 0; i < result.size(); ++i)
            EXPECT_EQ(result[i], expected[i % expected.size()]);
    }
}

} // namespace
