#pragma once
// The conversion progress window: runs a batch on the batch runner thread and shows its
// progress, speed, times, paths and a coloured log; offers Pause/Resume, Cancel and Clear while
// it runs, and Open Dir and Finish after a normal end.

#include "engine/BatchHost.h"
#include "platform/TaskbarProgress.h"
#include "widgets/ResizeDlg.h"

#include <QString>
#include <chrono>
#include <functional>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;

// Threads: the widget side runs on the GUI thread, and so does every member declared here
// (askCancel and startDelay included: the runner gets a copy of the delay when it starts). The
// batch runner and the stage threads use only the BatchHost side: its atomics, and the outlets,
// which post events to this window and return at once. The window does not close while the
// runner thread is alive (Cancel and Finish only ask for it), so no event or thread can
// outlive it.
class CConvProg final : public CResizeDlg, public BatchHost {
    Q_OBJECT

public:
    CConvProg(std::vector<CConversionTask> tasks, const ConversionSettings& settings, QWidget* parent = nullptr);
    ~CConvProg() override;

    // Asks whether to cancel; true for Yes. A message box unless a test puts another answer in.
    std::function<bool(QWidget*)> askCancel;
    // Time between opening and the first job (lets the window show itself).
    std::chrono::milliseconds startDelay{500};

    // True while the batch runner thread exists.
    bool RunnerAlive() const { return m_runner.joinable(); }
    const TaskbarProgress& Taskbar() const { return m_taskbar; }

    // The batch outlets (any thread).
    void OnLogLine(const QString& text, LogCode code) override;
    void OnProgress(float currentPercent, float overallPercent, bool final) override;
    void OnErrorBox(const QString& text) override;
    void OnBatchStarted() override;
    void OnTitle(const QString& title) override;
    void OnPaths(const QString& source, const QString& destination) override;
    void OnFinished() override;

    // "hh:mm:ss" of whole seconds.
    static QString FormatHms(double seconds);

public Q_SLOTS:
    void reject() override; // Escape and the window's close do not simply hide the window

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void StartBatch();
    void AppendLogLine(const QString& text, LogCode code);
    void ShowProgress(float current, float overall);
    void Finish();
    void RunnerEnded();
    void OnPauseButton();
    void OnCancelButton();
    void CloseWhenRunnerEnds();

    QProgressBar* m_currentBar = nullptr;
    QProgressBar* m_overallBar = nullptr;
    QLabel* m_currentDoneValue = nullptr;
    QLabel* m_overallDoneValue = nullptr;
    QLabel* m_currentSpeedValue = nullptr;
    QLabel* m_overallSpeedValue = nullptr;
    QLabel* m_currentElapsedValue = nullptr;
    QLabel* m_overallElapsedValue = nullptr;
    QLabel* m_currentEtaValue = nullptr;
    QLabel* m_overallEtaValue = nullptr;
    QLabel* m_sourcePath = nullptr;
    QLabel* m_destinationPath = nullptr;
    QTreeWidget* m_log = nullptr;
    QPushButton* m_clearButton = nullptr;
    QPushButton* m_pauseButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QTimer* m_logColumnTimer = nullptr;

    TaskbarProgress m_taskbar;
    std::thread m_runner;
    bool m_started = false;
    bool m_closeRequested = false;
    std::chrono::steady_clock::time_point m_batchStart;
    std::chrono::steady_clock::time_point m_fileStart;
};
