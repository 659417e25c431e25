// File list with 10 000 probed rows: the GUI thread's time to add them through CFileListRows
// (texts, records, icons, colours, stripes), in loader-sized batches and in one batch, the
// first repaint, and the memory one row takes (resident set before and after). Probing is
// timed apart: 100 real files are probed and their records replicated (with deep copies of
// every text, so the memory counts as it would for distinct files).
//
// Usage: qv-filelist-bench [folder]  (default /tmp/qv-probe-bench, shared with qv-probe-bench)

#include "filelist/FileListColumns.h"
#include "filelist/FileListRows.h"
#include "platform/IconTheme.h"
#include "reportctrl/ReportCtrl.h"

#include "OggFixture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kProbed = 100;
constexpr int kRows = 10000;
constexpr int kBatch = 100; // rows per hand-over, as a loader would send them

long ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * sysconf(_SC_PAGESIZE) : 0;
}

QString DeepCopy(const QString& text)
{
    return QString(text.constData(), text.size());
}

// kRows rows: the probed ones over and over, each under a path of its own.
std::vector<ProbedRow> Replicate(const std::vector<ProbedRow>& probed)
{
    std::vector<ProbedRow> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        const ProbedRow& source = probed[std::size_t(i) % probed.size()];
        ProbedRow row{QStringLiteral("/music/folder%1/track%2.ogg").arg(i / 250).arg(i, 5, 10, QLatin1Char('0')),
                      source.info, source.lastModified};
        for (QString* text : {&row.info.artist, &row.info.albumArtist, &row.info.album, &row.info.track,
                              &row.info.title, &row.info.genre, &row.info.date, &row.info.comment})
            *text = DeepCopy(*text);
        rows.push_back(std::move(row));
    }
    return rows;
}

// An empty file list with its columns, shown at a fixed size.
struct ShownFileList {
    ShownFileList()
    {
        rows.SetUpColumns();
        list.resize(1400, 800);
        list.show();
        QCoreApplication::processEvents();
    }

    CReportCtrl list;
    CFileListRows rows{&list};
};

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetUpIconTheme();
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/qv-probe-bench");
    QDir().mkpath(folder);

    QStringList paths;
    for (int i = 0; i < kProbed; ++i) {
        const QString path = QStringLiteral("%1/track%2.ogg").arg(folder).arg(i, 4, 10, QLatin1Char('0'));
        if (QFileInfo(path).size() == 0) {
            qvtest::OggFixtureSpec recipe;
            recipe.frames = 44100;
            recipe.seed = std::uint32_t(i + 1);
            recipe.comments = {{"ARTIST", "Bench Artist"}, {"ALBUM", "Bench Album"},
                             {"TITLE", "Track " + std::to_string(i)}, {"DATE", "2024"}};
            const std::string error = qvtest::WriteOggFixture(QFile::encodeName(path).toStdString(), recipe);
            if (!error.empty()) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(path), error.c_str());
                return 1;
            }
        }
        paths.append(path);
    }
    QElapsedTimer timer;
    timer.start();
    const std::vector<ProbedRow> probed = ProbeFiles(paths);
    std::printf("probing %d files: %.1f ms (not counted below)\n", kProbed, timer.nsecsElapsed() / 1e6);

    {
        ShownFileList shown;
        CReportCtrl& list = shown.list;
        CFileListRows& rows = shown.rows;
        const long before = ResidentBytes();
        std::vector<ProbedRow> all = Replicate(probed);
        double batched = 0, events = 0;
        for (std::size_t first = 0; first < all.size(); first += kBatch) {
            std::vector<ProbedRow> batch(std::make_move_iterator(all.begin() + long(first)),
                                         std::make_move_iterator(all.begin() + long(first + kBatch)));
            timer.restart();
            rows.AddRows(std::move(batch));
            batched += timer.nsecsElapsed() / 1e6;
            timer.restart();
            QCoreApplication::processEvents(); // the GUI thread between two hand-overs: layout, paint
            events += timer.nsecsElapsed() / 1e6;
        }
        all.clear();
        all.shrink_to_fit();
        timer.restart();
        list.repaint();
        const double paint = timer.nsecsElapsed() / 1e6;
        const long after = ResidentBytes();
        std::printf("%d rows in batches of %d: AddRows %.1f ms (%.2f us a row), event processing (repaints) "
                    "between batches %.1f ms; a repaint of the full list %.1f ms\n",
                    kRows, kBatch, batched, batched * 1000 / kRows, events, paint);
        std::printf("memory: %.0f bytes a row (resident set %+ld KiB)\n", double(after - before) / kRows,
                    (after - before) / 1024);
        std::printf("totals: %d files, %.2f MB, %.0f s\n", rows.FileCount(), rows.TotalSizeMB(),
                    rows.TotalSeconds());

        timer.restart();
        rows.Clear();
        std::printf("removing every row: %.1f ms\n", timer.nsecsElapsed() / 1e6);
    }
    {
        ShownFileList shown;
        std::vector<ProbedRow> all = Replicate(probed);
        timer.restart();
        shown.rows.AddRows(std::move(all));
        const double add = timer.nsecsElapsed() / 1e6;
        timer.restart();
        QCoreApplication::processEvents();
        std::printf("%d rows in one batch: AddRows %.1f ms, then event processing %.1f ms\n", kRows, add,
                    timer.nsecsElapsed() / 1e6);
    }
    return 0;
}
