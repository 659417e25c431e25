// The file list's columns and the texts of one row.

#include "FileListColumns.h"

#include "AudioFileProbe.h"
#include "ExtensionTypeTable.h"
#include "engine/ConversionTask.h"
#include "engine/NumberText.h"

#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>

const std::array<FileListColumnDef, FLC_COUNT>& FileListColumns()
{
    using K = FileListSortKey;
    constexpr Qt::Alignment L = Qt::AlignLeft;
    constexpr Qt::Alignment R = Qt::AlignRight;
    static const std::array<FileListColumnDef, FLC_COUNT> columns{{
        {"Name", L, 150, K::Text},
        {"Path", L, 150, K::Text},
        {"Type", R, 65, K::Text},
        {"Tag", R, 100, K::Text},
        {"Artist", L, 110, K::Text},
        {"Album Artist", L, 110, K::Text},
        {"Album", L, 110, K::Text},
        {"Track", R, 85, K::Track},
        {"Title", L, 150, K::Text},
        {"Genre", L, 70, K::Text},
        {"Date", R, 65, K::Text},
        {"Comment", L, 110, K::Text},
        {"Size(MB)", R, 85, K::SizeMB},
        {"Last Modified", R, 120, K::Text},
        {"Duration", R, 88, K::Text},
        {"Frequency", R, 96, K::SampleRate},
        {"Channel", R, 88, K::Channels},
        {"Bitrate", R, 88, K::BitrateKbps},
    }};
    return columns;
}

QString DurationText(double seconds)
{
    // Beyond this the hours would not fit the integer; no real file comes near it.
    constexpr double kLimit = 9.0e15;
    if (!std::isfinite(seconds) || seconds < 1.0)
        return {};
    const auto whole = static_cast<long long>(std::min(seconds, kLimit));
    return QString::asprintf("%02lld:%02lld:%02lld", whole / 3600, whole % 3600 / 60, whole % 60);
}

QString ChannelText(std::uint32_t channels)
{
    switch (channels) {
    case 1:
        return QStringLiteral("1 (Mono)");
    case 2:
        return QStringLiteral("2 (Stereo)");
    default:
        return QString::number(channels);
    }
}

QString FolderText(const QString& path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

FileRowTexts MakeFileRow(const QString& path, const AudioFileInfo& info, const QDateTime& lastModified)
{
    FileRowTexts row;
    QStringList& cells = row.cells;
    cells.reserve(FLC_COUNT);
    for (int i = 0; i < FLC_COUNT; ++i)
        cells.append(QString());

    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    cells[FLC_NAME] = name;
    cells[FLC_PATH] = FolderText(path);
    row.typeInRed = info.unreadable != 0;
    cells[FLC_TYPE] = row.typeInRed ? QStringLiteral("Unknown") : FileExtensionText(name);
    if (info.tagFlags & TF_VORBIS_COMMENT)
        cells[FLC_TAG] = QStringLiteral("Vorbis Comment");
    cells[FLC_ARTIST] = info.artist;
    cells[FLC_ALBUM_ARTIST] = info.albumArtist;
    cells[FLC_ALBUM] = info.album;
    cells[FLC_TRACK] = info.track;
    cells[FLC_TITLE] = info.title;
    cells[FLC_GENRE] = info.genre;
    cells[FLC_DATE] = info.date;
    cells[FLC_COMMENT] = info.comment;
    // Every number below is formatted in the C locale (FixedText, QString::asprintf).
    cells[FLC_SIZE] = FixedText(info.sizeMB, 2);
    if (lastModified.isValid())
        cells[FLC_LAST_MODIFIED] =
            QLocale::c().toString(lastModified.toLocalTime(), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    if (info.unreadable == 0) {
        cells[FLC_DURATION] = DurationText(info.durationSeconds);
        cells[FLC_FREQUENCY] = QString::asprintf("%u Hz", unsigned(info.sampleRate));
        cells[FLC_CHANNEL] = ChannelText(info.channels);
    }
    if (info.bitrateKbps != 0)
        cells[FLC_BITRATE] = QString::asprintf("%d kbps", int(info.bitrateKbps));
    return row;
}

ProbedRow ProbeRow(const QString& path)
{
    ProbedRow row;
    row.path = path;
    row.info = ProbeFile(path);
    row.lastModified = QFileInfo(path).lastModified();
    return row;
}

std::vector<ProbedRow> ProbeFiles(const QStringList& paths)
{
    std::vector<ProbedRow> rows;
    rows.reserve(std::size_t(paths.size()));
    for (const QString& path : paths)
        rows.push_back(ProbeRow(path));
    return rows;
}
