// The file list's rows: cell texts from probed files, colours, icons, records and totals.

#include "filelist/FileListColumns.h"
#include "filelist/FileListRows.h"
#include "platform/WinColor.h"
#include "reportctrl/ReportCtrl.h"

#include "OggFixture.h"
#include "QtPrinters.h"

#include <QBrush>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <taglib/vorbisfile.h>

#include <thread>

namespace {

QColor CellBrushColour(const CReportCtrl& list, int row, int column, int role)
{
    return list.model()->index(row, column).data(role).value<QBrush>().color();
}

// Keeps a default QLocale whose digits and decimal separator differ from the C locale's.
class ForeignLocale {
public:
    ForeignLocale() { QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt)); }
    ~ForeignLocale() { QLocale::setDefault(m_saved); }
    ForeignLocale(const ForeignLocale&) = delete;
    ForeignLocale& operator=(const ForeignLocale&) = delete;

private:
    QLocale m_saved;
};

// An MP3 stream of CBR frames (MPEG-1 Layer III, 128 kbit/s, 44100 Hz, mono, 417 bytes each,
// silent payload): enough for TagLib to report its bit rate.
void WriteMp3Frames(const QString& path, int frames)
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0xC0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < frames; ++i)
        file.write(frame);
}

const QDateTime kFileTime(QDate(2021, 3, 4), QTime(5, 6, 7)); // local time

void SetModified(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(kFileTime, QFileDevice::FileModificationTime));
}

// TagLib's own bit rate for an Ogg Vorbis file, as the list shows it (×1.024, rounded).
int ShownOggBitrate(const QString& path)
{
    TagLib::Ogg::Vorbis::File file(QFile::encodeName(path).constData());
    return int(file.audioProperties()->bitrate() * 1.024 + 0.5);
}

} // namespace

// Texts that come from the record alone, with a default locale that would show other digits.
TEST(FileListColumns, RecordTexts)
{
    const ForeignLocale foreign;
    struct Case {
        const char* what;
        AudioFileInfo info;
        int column;
        QString expected;
    };
    auto readable = [](auto change) {
        AudioFileInfo info;
        info.type = AFT_OGG_VORBIS;
        info.sampleRate = 44100;
        info.channels = 2;
        info.totalSamples = 88200;
        change(info);
        return info;
    };
    const Case cases[] = {
        {"below one second", readable([](auto& i) { i.durationSeconds = 0.999; }), FLC_DURATION, ""},
        {"one second", readable([](auto& i) { i.durationSeconds = 1.0; }), FLC_DURATION, "00:00:01"},
        {"1 h 2 min 5.7 s", readable([](auto& i) { i.durationSeconds = 3725.7; }), FLC_DURATION, "01:02:05"},
        {"100 hours", readable([](auto& i) { i.durationSeconds = 360000.0; }), FLC_DURATION, "100:00:00"},
        {"not a number", readable([](auto& i) { i.durationSeconds = std::nan(""); }), FLC_DURATION, ""},
        {"size tie to even", readable([](auto& i) { i.sizeMB = 1.125; }), FLC_SIZE, "1.12"},
        {"size rounded", readable([](auto& i) { i.sizeMB = 1234.5678; }), FLC_SIZE, "1234.57"},
        {"size zero", readable([](auto&) {}), FLC_SIZE, "0.00"},
        {"bit rate", readable([](auto& i) { i.bitrateKbps = 164; }), FLC_BITRATE, "164 kbps"},
        {"no bit rate", readable([](auto&) {}), FLC_BITRATE, ""},
        {"frequency", readable([](auto& i) { i.sampleRate = 96000; }), FLC_FREQUENCY, "96000 Hz"},
        {"mono", readable([](auto& i) { i.channels = 1; }), FLC_CHANNEL, "1 (Mono)"},
        {"six channels", readable([](auto& i) { i.channels = 6; }), FLC_CHANNEL, "6"},
        {"unreadable: no duration", readable([](auto& i) { i.unreadable = 1, i.durationSeconds = 5; }), FLC_DURATION, ""},
        {"unreadable: no frequency", readable([](auto& i) { i.unreadable = 1; }), FLC_FREQUENCY, ""},
        {"unreadable: no channels", readable([](auto& i) { i.unreadable = 1; }), FLC_CHANNEL, ""},
        {"unreadable: type", readable([](auto& i) { i.unreadable = 1; }), FLC_TYPE, "Unknown"},
        {"unreadable keeps its bit rate", readable([](auto& i) { i.unreadable = 1, i.bitrateKbps = 128; }),
         FLC_BITRATE, "128 kbps"},
    };
    for (const Case& c : cases) {
        const FileRowTexts row = MakeFileRow(QStringLiteral("/music/a.ogg"), c.info, kFileTime);
        ASSERT_EQ(row.cells.size(), FLC_COUNT) << c.what;
        EXPECT_EQ(row.cells[c.column], c.expected) << c.what;
        EXPECT_EQ(row.typeInRed, c.info.unreadable != 0) << c.what;
    }
    const FileRowTexts row = MakeFileRow(QStringLiteral("/music/a.ogg"), readable([](auto&) {}), kFileTime);
    EXPECT_EQ(row.cells[FLC_LAST_MODIFIED], "2021/03/04 05:06:07");
    EXPECT_EQ(MakeFileRow(QStringLiteral("/a.ogg"), {}, {}).cells[FLC_LAST_MODIFIED], "") << "invalid time";
}

// Name, folder and type from the path.
TEST(FileListColumns, PathTexts)
{
    struct Case {
        QString path;
        QString name, folder, type;
    };
    const Case cases[] = {
        {"/music/disc 1/song.Ogg", "song.Ogg", "/music/disc 1/", "OGG"},
        {"/song.ogg", "song.ogg", "/", "OGG"},
        {"/music/v1.2/README", "README", "/music/v1.2/", "README"},
        {"/music/a.b.mp3", "a.b.mp3", "/music/", "MP3"},
    };
    for (const Case& c : cases) {
        const FileRowTexts row = MakeFileRow(c.path, AudioFileInfo{}, {});
        EXPECT_EQ(row.cells[FLC_NAME], c.name) << c.path.toStdString();
        EXPECT_EQ(row.cells[FLC_PATH], c.folder) << c.path.toStdString();
        EXPECT_EQ(row.cells[FLC_TYPE], c.type) << c.path.toStdString();
    }
}

// Generated files probed on a worker thread and added to a list: every column of every row,
// the red "Unknown" and the unreadable tint, records, icons and totals, and the totals after
// removals.
TEST(FileListRows, FillsRowsFromGeneratedFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    using Comments = std::vector<std::pair<std::string, std::string>>;
    struct FileCase {
        const char* name;
        int rate, channels;
        std::int64_t frames; // < 0: an MP3 stream instead of Ogg Vorbis
        Comments comments;
        // Expected texts of columns 2..16; those of size and time (checked apart) are placeholders.
        QStringList texts;
    };
    const FileCase files[] = {
        {"mono.ogg", 8000, 1, 12000, {},
         {"OGG", "", "", "", "", "", "", "", "", "", "", "", "00:00:01", "8000 Hz", "1 (Mono)"}},
        {"Stereo.Ogg", 44100, 2, 44100 * 2 + 500,
         {{"ARTIST", "A"}, {"ARTIST", "B"}, {"ALBUMARTIST", "Band"}, {"ALBUM", "Disc"},
          {"TRACKNUMBER", "3/12"}, {"TITLE", "Song"}, {"GENRE", "Jazz"}, {"YEAR", "1999"},
          {"COMMENT", "café 😀"}},
         {"OGG", "Vorbis Comment", "A B", "Band", "Disc", "3/12", "Song", "Jazz", "1999", "café 😀", "",
          "", "00:00:02", "44100 Hz", "2 (Stereo)"}},
        {"surround.ogg", 48000, 6, 24000, {{"TITLE", "Six"}},
         {"OGG", "Vorbis Comment", "", "", "", "", "Six", "", "", "", "", "", "", "48000 Hz", "6"}},
        {"silence.ogg", 44100, 2, 0, {},
         {"Unknown", "", "", "", "", "", "", "", "", "", "", "", "", "", ""}},
        {"clip.mp3", 44100, 1, -1, {},
         {"Unknown", "", "", "", "", "", "", "", "", "", "", "", "", "", ""}},
        {"noextension", 44100, 2, 44100, {{"TITLE", "Hidden"}},
         {"Unknown", "", "", "", "", "", "", "", "", "", "", "", "", "", ""}},
    };
    QStringList paths;
    for (const FileCase& f : files) {
        const QString path = dir.filePath(QString::fromLatin1(f.name));
        if (f.frames < 0) {
            WriteMp3Frames(path, 40);
        } else {
            qvtest::OggFixtureSpec recipe;
            recipe.sampleRate = f.rate;
            recipe.channels = f.channels;
            recipe.frames = f.frames;
            recipe.comments = f.comments;
            ASSERT_EQ(qvtest::WriteOggFixture(QFile::encodeName(path).toStdString(), recipe), "") << f.name;
        }
        SetModified(path);
        paths.append(path);
    }

    std::vector<ProbedRow> probed;
    std::thread worker([&] { probed = ProbeFiles(paths); });
    worker.join();

    CReportCtrl list;
    CFileListRows rows(&list);
    rows.SetUpColumns();
    ASSERT_EQ(list.ColumnCount(), FLC_COUNT);
    EXPECT_EQ(list.model()->headerData(FLC_SIZE, Qt::Horizontal).toString(), "Size(MB)");
    EXPECT_EQ(list.header()->sectionSize(FLC_FREQUENCY), 96);
    EXPECT_EQ(rows.AddRows(std::move(probed)), 0);
    ASSERT_EQ(list.RowCount(), int(std::size(files)));

    double sizeMB = 0;
    const QString folder = dir.path() + u'/';
    for (int row = 0; row < list.RowCount(); ++row) {
        const FileCase& f = files[row];
        SCOPED_TRACE(f.name);
        const AudioFileInfo* record = rows.Record(row);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(list.RowData(row), record);
        EXPECT_EQ(list.CellText(row, FLC_NAME), QString::fromLatin1(f.name));
        EXPECT_EQ(list.CellText(row, FLC_PATH), folder);
        for (int column = FLC_TYPE; column <= FLC_CHANNEL; ++column) {
            if (column == FLC_SIZE || column == FLC_LAST_MODIFIED)
                continue;
            EXPECT_EQ(list.CellText(row, column), f.texts[column - FLC_TYPE]) << "column " << column;
        }
        const qint64 bytes = QFileInfo(paths[row]).size();
        EXPECT_EQ(list.CellText(row, FLC_SIZE), QString::asprintf("%.2f", double(bytes) / 1048576.0));
        EXPECT_EQ(list.CellText(row, FLC_LAST_MODIFIED), "2021/03/04 05:06:07");
        sizeMB += double(bytes) / 1048576.0;

        const bool unreadable = f.texts[0] == "Unknown";
        EXPECT_EQ(record->unreadable != 0, unreadable);
        const QColor typeColour = CellBrushColour(list, row, FLC_TYPE, Qt::ForegroundRole);
        EXPECT_EQ(typeColour == QColor(Qt::red), unreadable) << typeColour.name().toStdString();
        const QColor back = CellBrushColour(list, row, FLC_ARTIST, Qt::BackgroundRole);
        EXPECT_EQ(back == FromWinColor(kUnreadableTint), unreadable) << back.name().toStdString();
        EXPECT_GE(list.CellImage(row, FLC_NAME), 0);
    }
    // The bit rate: TagLib's, ×1.024 for Ogg Vorbis, unchanged for MP3.
    for (int row : {0, 1, 2})
        EXPECT_EQ(list.CellText(row, FLC_BITRATE), QString::asprintf("%d kbps", ShownOggBitrate(paths[row])));
    EXPECT_NE(list.CellText(1, FLC_BITRATE), QString::asprintf("%d kbps", rows.Record(1)->bitrateKbps * 1000 / 1024))
        << "scaled";
    EXPECT_EQ(list.CellText(4, FLC_BITRATE), "128 kbps");
    // One icon per MIME type: the three .ogg files (any case) share theirs, the MP3 has another.
    EXPECT_EQ(list.CellImage(0, FLC_NAME), list.CellImage(1, FLC_NAME));
    EXPECT_EQ(list.CellImage(0, FLC_NAME), list.CellImage(2, FLC_NAME));
    EXPECT_NE(list.CellImage(0, FLC_NAME), list.CellImage(4, FLC_NAME));
    for (const QIcon& icon : list.SmallImages())
        EXPECT_FALSE(icon.isNull());

    EXPECT_EQ(rows.FileCount(), 6);
    EXPECT_NEAR(rows.TotalSizeMB(), sizeMB, 1e-9);
    const double seconds = 1.5 + (44100 * 2 + 500) / 44100.0 + 0.5;
    EXPECT_NEAR(rows.TotalSeconds(), seconds, 1e-9);

    list.resize(2000, 200);
    list.show();
    QDir().mkpath(QStringLiteral(QV_SCREENSHOT_DIR));
    EXPECT_TRUE(list.grab().save(QStringLiteral(QV_SCREENSHOT_DIR "/filelist.png")));

    // Removing the stereo file takes its size and duration off; a later row keeps its tint.
    const double stereoMB = rows.Record(1)->sizeMB;
    ASSERT_TRUE(rows.RemoveRow(1));
    EXPECT_EQ(rows.FileCount(), 5);
    EXPECT_NEAR(rows.TotalSizeMB(), sizeMB - stereoMB, 1e-9);
    EXPECT_NEAR(rows.TotalSeconds(), 2.0, 1e-9);
    EXPECT_EQ(list.CellText(1, FLC_NAME), "surround.ogg");
    EXPECT_FALSE(rows.RemoveRow(5));
    EXPECT_EQ(rows.FileCount(), 5);

    // Removing by state, then everything: the totals end at exactly zero.
    list.ApplyRowStateFlags(0, RS_SELECTED);
    list.ApplyRowStateFlags(3, RS_SELECTED);
    EXPECT_EQ(rows.RemoveRowsMatching(RS_SELECTED), 2);
    EXPECT_EQ(rows.FileCount(), 3);
    EXPECT_NEAR(rows.TotalSeconds(), 0.5, 1e-9);

    // For review: the rows left, sorted by frequency, with the Genre column hidden.
    ASSERT_TRUE(list.ShowColumn(FLC_GENRE, false));
    ASSERT_TRUE(list.SetHeaderClickable(true));
    list.ClickColumn(FLC_FREQUENCY);
    EXPECT_EQ(list.CellText(0, FLC_NAME), QStringLiteral("noextension"));
    EXPECT_EQ(list.CellText(2, FLC_NAME), QStringLiteral("surround.ogg"));
    EXPECT_TRUE(list.grab().save(QStringLiteral(QV_SCREENSHOT_DIR "/filelist-sorted.png")));
    EXPECT_EQ(rows.FileCount(), 3);

    rows.Clear();
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(rows.FileCount(), 0);
    EXPECT_EQ(rows.TotalSizeMB(), 0.0);
    EXPECT_EQ(rows.TotalSeconds(), 0.0);
}

// Rows added in several batches keep their own records and icons, and the list can go first.
TEST(FileListRows, BatchesAndListDestroyedFirst)
{
    auto list = std::make_unique<CReportCtrl>();
    CFileListRows rows(list.get());
    EXPECT_EQ(rows.AddRows({ProbedRow{QStringLiteral("/x/a.ogg"), {}, {}}}), -1) << "no columns yet";
    EXPECT_EQ(rows.FileCount(), 0);
    rows.SetUpColumns();
    EXPECT_EQ(rows.AddRows({}), -1);

    AudioFileInfo info;
    info.sizeMB = 0.25;
    info.durationSeconds = 10;
    std::vector<ProbedRow> batch(3, ProbedRow{QStringLiteral("/x/a.ogg"), info, {}});
    EXPECT_EQ(rows.AddRows(batch), 0);
    batch[0].path = QStringLiteral("/x/b.txt");
    EXPECT_EQ(rows.AddRows(batch), 3);
    EXPECT_EQ(rows.FileCount(), 6);
    EXPECT_DOUBLE_EQ(rows.TotalSizeMB(), 1.5);
    EXPECT_DOUBLE_EQ(rows.TotalSeconds(), 60);
    EXPECT_NE(rows.Record(0), rows.Record(3));
    EXPECT_EQ(list->CellImage(1, FLC_NAME), list->CellImage(5, FLC_NAME));
    EXPECT_NE(list->CellImage(3, FLC_NAME), list->CellImage(4, FLC_NAME));
    EXPECT_EQ(list->SmallImages().size(), 2);
    list.reset(); // the records are freed with `rows`, without touching the gone control
    EXPECT_EQ(rows.Record(0), nullptr);
}
