// Folder tree with one large folder: the time from expanding a folder of 5 000 sub-folders until
// its rows are in the model and the view has painted them, over several collapse/expand rounds
// (a collapse forgets the children, so each expansion reads the folder afresh), the first
// expansion apart, and the collapse. Everything happens inside one call chain on the GUI thread,
// so each figure is also how long the window stays frozen. The expansion is split into its
// stages (reading the folder, the view taking the inserted rows, layout and paint), and the
// model is timed alone without a view.
//
// A quarter of the sub-folders hold a folder of their own, a tenth only a dot folder, the rest
// nothing, so that deciding on each item's expand button has work to do.
//
// Usage: qv-foldertree-bench [--folders N] [--rounds N]  (defaults 5000 and 9)

#include "foldertree/FileTreeCtrl.h"
#include "platform/IconTheme.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

namespace {

constexpr double kGoalMs = 500;

struct Stats {
    double median = 0;
    double max = 0;
};

Stats Summarise(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

// Sub-folders named in a shuffled order and in mixed case, as real folders come from readdir.
bool MakeBigFolder(const QString& path, int count)
{
    std::vector<int> numbers(static_cast<std::size_t>(count));
    std::iota(numbers.begin(), numbers.end(), 0);
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(42));
    QDir dir;
    for (int i = 0; i < count; ++i) {
        const int n = numbers[std::size_t(i)];
        const QString name =
            QStringLiteral("%1 %2 - Album").arg(n % 2 ? QStringLiteral("artist") : QStringLiteral("Artist")).arg(n);
        QString folder = path + QLatin1Char('/') + name;
        if (i % 4 == 0)
            folder += QStringLiteral("/CD1");
        else if (i % 10 == 1)
            folder += QStringLiteral("/.cache");
        if (!dir.mkpath(folder))
            return false;
    }
    return true;
}

std::vector<MountEntry> RootOnly(const QTemporaryDir& dir)
{
    MountSources sources;
    sources.sysfsRoot = dir.filePath(QStringLiteral("sys"));  // missing: nothing removable
    sources.byLabelDir = dir.filePath(QStringLiteral("by-label"));
    return ParseMountInfo("21 1 254:1 / / rw - ext4 /dev/vda1 rw\n", sources);
}

int Usage()
{
    std::fprintf(stderr, "usage: qv-foldertree-bench [--folders N] [--rounds N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetUpIconTheme();

    int folders = 5000;
    int rounds = 9;
    for (int i = 1; i < argc; ++i) {
        int* target = std::strcmp(argv[i], "--folders") == 0 ? &folders
                      : std::strcmp(argv[i], "--rounds") == 0 ? &rounds
                                                               : nullptr;
        if (!target || i + 1 >= argc)
            return Usage();
        *target = std::atoi(argv[++i]);
        if (*target < 1)
            return Usage();
    }

    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home/me"));
    const QString big = home + QStringLiteral("/Big");
    QElapsedTimer timer;
    timer.start();
    if (!dir.isValid() || !QDir().mkpath(home + QStringLiteral("/Music")) || !MakeBigFolder(big, folders)) {
        std::fprintf(stderr, "cannot create the folders below %s\n", qPrintable(dir.path()));
        return 1;
    }
    std::printf("created %d sub-folders in %s: %.0f ms (not counted below)\n", folders, qPrintable(big),
                timer.nsecsElapsed() / 1e6);

    FolderTreeModel::Sources sources;
    sources.mounts = RootOnly(dir);
    sources.homePath = home;
    sources.desktopPath = QString();

    CFileTreeCtrl tree(sources);
    tree.resize(320, 600);
    tree.show();
    QCoreApplication::processEvents();
    FolderTreeModel* model = tree.Model();
    tree.expand(model->HomeIndex());
    const QModelIndex bigIndex = model->FindChild(model->HomeIndex(), QStringLiteral("Big"));
    if (!bigIndex.isValid()) {
        std::fprintf(stderr, "the home item has no \"Big\" child\n");
        return 1;
    }
    tree.viewport()->repaint();

    // Stage ends of one expansion, in ms from the expand() call.
    double readEnd = 0, insertEnd = 0;
    QObject::connect(model, &QAbstractItemModel::rowsAboutToBeInserted, [&] { readEnd = timer.nsecsElapsed() / 1e6; });
    // Connected after the view's own handler, so it runs once the view has taken the rows.
    QObject::connect(model, &QAbstractItemModel::rowsInserted, [&] { insertEnd = timer.nsecsElapsed() / 1e6; });

    double first = 0;
    std::vector<double> total, read, insert, expandRest, layoutPaint, collapse;
    for (int round = 0; round <= rounds; ++round) {
        readEnd = insertEnd = 0;
        timer.restart();
        tree.expand(bigIndex);
        const double expanded = timer.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();  // the delayed layout, and the paint it asks for
        tree.viewport()->repaint();
        const double painted = timer.nsecsElapsed() / 1e6;
        if (model->rowCount(bigIndex) != folders || readEnd == 0) {
            std::fprintf(stderr, "the expansion read %d rows, not %d\n", model->rowCount(bigIndex), folders);
            return 1;
        }
        if (round == 0) {
            first = painted;
        } else {
            total.push_back(painted);
            read.push_back(readEnd);
            insert.push_back(insertEnd - readEnd);
            expandRest.push_back(expanded - insertEnd);
            layoutPaint.push_back(painted - expanded);
        }
        timer.restart();
        tree.collapse(bigIndex);
        QCoreApplication::processEvents();
        tree.viewport()->repaint();
        if (round > 0)
            collapse.push_back(timer.nsecsElapsed() / 1e6);
    }

    // The model alone: reading the folder and forgetting it again.
    std::vector<double> modelRead, modelForget;
    {
        FolderTreeModel bare(sources);
        bare.EnsureFetched(bare.HomeIndex());
        const QModelIndex bareBig = bare.FindChild(bare.HomeIndex(), QStringLiteral("Big"));
        for (int round = 0; round <= rounds; ++round) {
            timer.restart();
            bare.EnsureFetched(bareBig);
            const double readMs = timer.nsecsElapsed() / 1e6;
            if (bare.rowCount(bareBig) != folders) {
                std::fprintf(stderr, "the model read %d rows, not %d\n", bare.rowCount(bareBig), folders);
                return 1;
            }
            timer.restart();
            bare.ForgetChildren(bareBig);
            if (round > 0) {  // as for the view, the first round is left out
                modelRead.push_back(readMs);
                modelForget.push_back(timer.nsecsElapsed() / 1e6);
            }
        }
    }

    const Stats expand = Summarise(total);
    const Stats shut = Summarise(collapse);
    std::printf("first expansion of %d sub-folders: %.1f ms\n", folders, first);
    std::printf("expand %d sub-folders: median %.1f ms, max %.1f ms (goal %.0f ms: %s), %d rounds\n", folders,
                expand.median, expand.max, kGoalMs, expand.max <= kGoalMs ? "met" : "MISSED", rounds);
    std::printf("collapse %d sub-folders: median %.1f ms, max %.1f ms\n", folders, shut.median, shut.max);
    std::printf("stages (medians): read the folder %.1f ms, view takes the rows %.1f ms, rest of expand() %.1f ms, "
                "layout and paint %.1f ms\n",
                Summarise(read).median, Summarise(insert).median, Summarise(expandRest).median,
                Summarise(layoutPaint).median);
    std::printf("model alone (medians): read %.1f ms (%.1f us a folder), forget %.1f ms\n", Summarise(modelRead).median,
                Summarise(modelRead).median * 1000 / folders, Summarise(modelForget).median);
    return 0;
}
