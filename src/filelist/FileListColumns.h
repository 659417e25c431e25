#pragma once
// The eighteen columns of the file list and the texts of one row, worked out from a probed
// record. Pure QtCore: no widgets, so the texts can be built and tested anywhere.
//
// Threads: everything here is safe on any thread. ProbeFile/ProbeFiles run on a loader's
// worker thread; the ProbedRow values they return are plain data that the worker hands over
// (moved, by a queued call) to the GUI thread, which alone turns them into list rows
// (CFileListRows). A ProbedRow is never shared: whoever holds it owns it.

#include "AudioFileInfo.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <Qt>

#include <array>
#include <cstdint>
#include <vector>

// Column indexes, in insertion order.
enum FileListColumn : int {
    FLC_NAME = 0,
    FLC_PATH,
    FLC_TYPE,
    FLC_TAG,
    FLC_ARTIST,
    FLC_ALBUM_ARTIST,
    FLC_ALBUM,
    FLC_TRACK,
    FLC_TITLE,
    FLC_GENRE,
    FLC_DATE,
    FLC_COMMENT,
    FLC_SIZE,
    FLC_LAST_MODIFIED,
    FLC_DURATION,
    FLC_FREQUENCY,
    FLC_CHANNEL,
    FLC_BITRATE,
    FLC_COUNT
};

// The record field a column sorts by; Text columns sort by their cell text.
enum class FileListSortKey : std::uint8_t {
    Text,
    Track,       // trackNumber, then trackTotal
    SizeMB,      // sizeMB
    SampleRate,  // sampleRate
    Channels,    // channels
    BitrateKbps, // bitrateKbps
};

struct FileListColumnDef {
    const char* title;          // heading text (an untranslated program text)
    Qt::Alignment alignment;    // Qt::AlignLeft or Qt::AlignRight
    int defaultWidth;           // pixels, used when no saved column state exists
    FileListSortKey sortKey;
};

// The columns, indexed by FileListColumn.
const std::array<FileListColumnDef, FLC_COUNT>& FileListColumns();

// Text colour of the Type cell of an unreadable file (red, 0x00BBGGRR).
inline constexpr std::uint32_t kUnknownTypeColour = 0x0000FF;

// The texts of one row.
struct FileRowTexts {
    QStringList cells;        // FLC_COUNT texts, column 0 first
    bool typeInRed = false;   // the Type cell shows "Unknown" and is painted kUnknownTypeColour
};

// The row for the file at `path` (a full path, "/" separated) described by `info`, last
// written at `lastModified` (an invalid time leaves its cell empty). Numbers are formatted in
// the C locale whatever the user's; the time is shown in local time.
FileRowTexts MakeFileRow(const QString& path, const AudioFileInfo& info, const QDateTime& lastModified);

// Cell texts of single fields, as MakeFileRow writes them.
// "%02d:%02d:%02d" of the whole seconds (hours may take more digits); empty below one second
// and for values that are not finite.
QString DurationText(double seconds);
// "1 (Mono)", "2 (Stereo)", else the count.
QString ChannelText(std::uint32_t channels);
// The folder of `path` up to and including its last "/"; empty for a bare name.
QString FolderText(const QString& path);

// One file as a loader's worker hands it to the GUI thread.
struct ProbedRow {
    QString path;           // full path
    AudioFileInfo info;     // ProbeFile's record
    QDateTime lastModified; // last write time (invalid when unknown)
};

// Probes one file: ProbeFile plus the last write time. Safe on any thread.
ProbedRow ProbeRow(const QString& path);

// Probes the files in order. Safe on any thread; meant for a worker thread (and for tests and
// benchmarks); the loader thread itself builds on ProbeRow.
std::vector<ProbedRow> ProbeFiles(const QStringList& paths);
