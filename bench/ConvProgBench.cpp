// Runs one batch through the progress window, offscreen, as the desktop application does:
//   qv-convprog-bench [--start-delay MS] -o DIR FILE...
// Exits when the batch has finished (0) or stopped (1). Compared with quillvane-cli on the
// same files by convprog-bench.sh.

#include "batch/ConvProg.h"
#include "batch/ConversionTaskBuilder.h"
#include "engine/SoxLibrary.h"
#include "filelist/AudioFileProbe.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!InitSoxLibrary())
        return 1;

    QStringList args = app.arguments().mid(1);
    int startDelay = 0;
    ConversionSettings settings;
    std::vector<ProbedFile> files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--start-delay") && i + 1 < args.size())
            startDelay = args[++i].toInt();
        else if (args[i] == QStringLiteral("-o") && i + 1 < args.size())
            settings.outputFolder = QFileInfo(args[++i]).absoluteFilePath();
        else
            files.push_back({QFileInfo(args[i]).absoluteFilePath(), ProbeFile(args[i])});
    }
    if (settings.outputFolder.isEmpty() || files.empty()) {
        std::fprintf(stderr, "usage: qv-convprog-bench [--start-delay MS] -o DIR FILE...\n");
        return 2;
    }

    CConvProg window(BuildConversionTasks(files, settings, nullptr), settings);
    window.startDelay = std::chrono::milliseconds(startDelay);
    bool finished = false;
    QObject::connect(&window, &QWidget::windowTitleChanged, &app, [&](const QString& title) {
        finished = title == QStringLiteral("Finished Converting");
    });
    // Poll for the runner's end: finished or stopped by an error.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (window.isVisible() && !window.RunnerAlive() && window.m_running.load() == 0)
            app.exit(finished ? 0 : 1);
    });
    window.show();
    poll.start(20);
    return app.exec();
}
