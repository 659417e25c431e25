#include "ConvProg.h"

#include "BatchRunner.h"
#include "platform/DialogUnits.h"
#include "platform/PostedEvents.h"
#include "platform/WinColor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

using Clock = std::chrono::steady_clock;

// Events of this window beyond the batch messages.
const QEvent::Type kErrorBoxEvent = QEvent::Type(QvEvent::kUserBase + 110);
const QEvent::Type kBatchStartedEvent = QEvent::Type(QvEvent::kUserBase + 111);
const QEvent::Type kTitleEvent = QEvent::Type(QvEvent::kUserBase + 112);
const QEvent::Type kPathsEvent = QEvent::Type(QvEvent::kUserBase + 113);
const QEvent::Type kRunnerEndedEvent = QEvent::Type(QvEvent::kUserBase + 114);

struct LogLine {
    QString text;
    LogCode code;
};
struct Progress {
    float current;
    float overall;
};
struct Paths {
    QString source;
    QString destination;
    Clock::time_point at;
};

constexpr std::uint32_t kOddRowBack = 0xFCF5F3;
constexpr std::uint32_t kInfoText = 0xFF0000;  // blue
constexpr std::uint32_t kErrorText = 0x0000FF; // red
const char kPlacementEntry[] = "{104A7F6F-FFA3-4293-B808-9578D46FEC55}";

// Numbering of log rows and counting of progress messages, for every batch of the process.
// GUI thread only.
int g_logCounter = 0;
unsigned g_progressMessages = 0;

template <typename Payload>
void Post(QObject* receiver, QEvent::Type type, Payload payload)
{
    QCoreApplication::postEvent(receiver, new PostedEvent<Payload>(type, std::move(payload)));
}

template <typename Payload>
const Payload& PayloadOf(QEvent* event)
{
    return static_cast<PostedEvent<Payload>*>(event)->payload();
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

QString Percent(float value)
{
    return QString::asprintf("%5.2f%%", double(value));
}

QString Speed(double audioSeconds, double elapsed)
{
    return QString::asprintf(" %5.2fx", elapsed > 0 ? audioSeconds / elapsed : 0.0);
}

} // namespace

QString CConvProg::FormatHms(double seconds)
{
    const long long s = std::isfinite(seconds) ? std::clamp<long long>((long long)seconds, 0, 359999999) : 0;
    return QString::asprintf("%02lld:%02lld:%02lld", s / 3600, s % 3600 / 60, s % 60);
}

CConvProg::CConvProg(std::vector<CConversionTask> tasks, const ConversionSettings& settings, QWidget* parent)
    : CResizeDlg(parent)
{
    m_settings = settings;
    m_tasks = std::move(tasks);
    for (const CConversionTask& task : m_tasks)
        m_overallTotal += task.expectedSamples;
    askCancel = [](QWidget* window) {
        return QMessageBox::question(window, QString(), QStringLiteral("Do You Want to Cancel?"),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setWindowIcon(QIcon::fromTheme(QStringLiteral("audio-x-generic")));
    BuildControls();
    m_placementEntry = QLatin1String(kPlacementEntry); // saved by the base when the window closes
    RestorePlacement();
    m_taskbar.SetState(TaskbarProgress::Normal);
    ShowProgress(0, 0);
}

CConvProg::~CConvProg()
{
    // A window destroyed without closing (its parent went away) still waits for its threads.
    m_running.store(0);
    if (m_runner.joinable())
        m_runner.join();
    m_taskbar.SetState(TaskbarProgress::None);
}

void CConvProg::BuildControls()
{
    const DialogUnits du(font());
    resize(du.X(367), du.Y(273));

    auto place = [&](QWidget* w, int id, int x, int y, int width, int height) {
        w->setObjectName(QStringLiteral("idc_%1").arg(id));
        w->setGeometry(du.ToPixels(x, y, width, height));
        return w;
    };
    auto label = [&](int id, const QString& text, int x, int y, int width, int height,
                     Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
        auto* l = new QLabel(text, this);
        l->setAlignment(align);
        place(l, id, x, y, width, height);
        // The table's widths fit the original font; never cut a name in a wider one.
        if (!text.isEmpty() && l->width() < l->sizeHint().width())
            l->resize(l->sizeHint().width(), l->height());
        return l;
    };
    auto group = [&](int id, const QString& title, int x, int y, int width, int height) {
        auto* g = new QGroupBox(title, this);
        place(g, id, x, y, width, height);
        AnchorControl(g, ANCHOR_STRETCH, ANCHOR_STRETCH, ANCHOR_KEEP, ANCHOR_KEEP);
        return g;
    };
    auto bar = [&](int id, int x, int y, int width, int height) {
        auto* b = new QProgressBar(this);
        b->setRange(0, 100);
        b->setValue(0);
        b->setTextVisible(false);
        place(b, id, x, y, width, height);
        AnchorControl(b, ANCHOR_STRETCH, ANCHOR_STRETCH, ANCHOR_KEEP, ANCHOR_KEEP);
        return b;
    };
    // One "name: value" pair of a progress group; both keep their centres at their fraction
    // of the width.
    auto field = [&](int labelId, const QString& name, int lx, int lw, int valueId, const QString& value, int vx,
                     int vy, int vw, int y) {
        QLabel* l = label(labelId, name, lx, y, lw, 10);
        QLabel* v = label(valueId, value, vx, vy, vw, 10, Qt::AlignRight | Qt::AlignVCenter);
        AnchorControl(l, ANCHOR_CENTRE, ANCHOR_CENTRE, ANCHOR_KEEP, ANCHOR_KEEP);
        AnchorControl(v, ANCHOR_CENTRE, ANCHOR_CENTRE, ANCHOR_KEEP, ANCHOR_KEEP);
        return v;
    };

    group(1071, QStringLiteral("Current Progress"), 7, 4, 354, 48);
    m_currentBar = bar(1073, 14, 20, 339, 10);
    m_currentDoneValue = field(1076, QStringLiteral("Done:"), 24, 20, 1080, QStringLiteral("0.00%"), 48, 36, 30, 36);
    m_currentSpeedValue = field(1078, QStringLiteral("Speed:"), 106, 26, 1082, QStringLiteral("0.00x"), 134, 36, 27, 36);
    m_currentElapsedValue =
        field(1085, QStringLiteral("Elapsed:"), 191, 28, 1087, QStringLiteral("00:00:00"), 222, 37, 33, 36);
    m_currentEtaValue = field(1090, QStringLiteral("ETA:"), 283, 17, 1088, QStringLiteral("00:00:00"), 302, 37, 33, 36);

    group(1072, QStringLiteral("Overall Progress"), 7, 56, 354, 48);
    m_overallBar = bar(1074, 13, 72, 339, 10);
    m_overallDoneValue = field(1077, QStringLiteral("Done:"), 24, 20, 1081, QStringLiteral("0.00%"), 48, 88, 30, 88);
    m_overallSpeedValue = field(1079, QStringLiteral("Speed:"), 106, 26, 1083, QStringLiteral("0.00x"), 134, 88, 27, 88);
    m_overallElapsedValue =
        field(1084, QStringLiteral("Elapsed:"), 191, 28, 1086, QStringLiteral("00:00:00"), 222, 89, 33, 88);
    m_overallEtaValue = field(1089, QStringLiteral("ETA:"), 283, 17, 1091, QStringLiteral("00:00:00"), 302, 89, 33, 88);

    label(1094, QStringLiteral("Source:"), 9, 110, 34, 10);
    label(1095, QStringLiteral("Destination:"), 9, 127, 43, 10);
    m_sourcePath = label(1092, QString(), 62, 110, 298, 10);
    m_destinationPath = label(1093, QString(), 62, 127, 298, 10);
    for (QLabel* path : {m_sourcePath, m_destinationPath}) {
        path->setTextInteractionFlags(Qt::TextSelectableByMouse);
        AnchorControl(path, ANCHOR_STRETCH, ANCHOR_STRETCH, ANCHOR_KEEP, ANCHOR_KEEP);
    }

    m_log = new QTreeWidget(this);
    place(m_log, 1003, 3, 144, 362, 105);
    m_log->setColumnCount(4);
    m_log->setHeaderLabels({QString(), QStringLiteral("#"), QStringLiteral("Time"), QStringLiteral("Description")});
    m_log->setRootIsDecorated(false);
    m_log->setUniformRowHeights(true);
    m_log->setSelectionMode(QAbstractItemView::SingleSelection);
    m_log->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_log->setAllColumnsShowFocus(true);
    m_log->header()->setSectionsClickable(false);
    m_log->header()->setSectionsMovable(true);
    m_log->header()->setStretchLastSection(false);
    m_log->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    m_log->headerItem()->setTextAlignment(2, Qt::AlignCenter);
    m_log->setColumnWidth(0, 0);
    m_log->setColumnHidden(0, true); // carries only the row's severity
    m_log->setColumnWidth(1, 55);
    m_log->setColumnWidth(2, 63);
    m_log->setColumnWidth(3, 500);
    AnchorControl(m_log, ANCHOR_STRETCH, ANCHOR_STRETCH, ANCHOR_STRETCH, ANCHOR_STRETCH);

    auto button = [&](int id, const QString& text, int x) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        place(b, id, x, 255, 48, 13);
        AnchorControl(b, ANCHOR_CENTRE, ANCHOR_CENTRE, ANCHOR_MOVE, ANCHOR_MOVE);
        return b;
    };
    m_clearButton = button(1096, QStringLiteral("Clear"), 75);
    m_pauseButton = button(1075, QStringLiteral("Pause"), 159);
    m_cancelButton = button(2, QStringLiteral("Cancel"), 243);
    connect(m_clearButton, &QPushButton::clicked, m_log, &QTreeWidget::clear);
    connect(m_pauseButton, &QPushButton::clicked, this, &CConvProg::OnPauseButton);
    connect(m_cancelButton, &QPushButton::clicked, this, &CConvProg::OnCancelButton);

    m_logColumnTimer = new QTimer(this);
    m_logColumnTimer->setInterval(1000);
    connect(m_logColumnTimer, &QTimer::timeout, this, [this] {
        if (m_running.load())
            m_log->resizeColumnToContents(3);
        else
            m_logColumnTimer->stop();
    });
}

void CConvProg::showEvent(QShowEvent* event)
{
    CResizeDlg::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, this, &CConvProg::StartBatch);
    }
}

void CConvProg::StartBatch()
{
    m_running.store(1);
    m_runner = std::thread([this, delay = startDelay] {
        BatchRunnerMain(*this, delay);
        Post(this, kRunnerEndedEvent, 0);
    });
}

// Outlets: called on the runner and stage threads; they only post.

void CConvProg::OnLogLine(const QString& text, LogCode code)
{
    Post(this, QvEvent::ConvLog, LogLine{text, code});
}

void CConvProg::OnProgress(float currentPercent, float overallPercent, bool)
{
    Post(this, QvEvent::ConvProgress, Progress{currentPercent, overallPercent});
}

void CConvProg::OnErrorBox(const QString& text)
{
    Post(this, kErrorBoxEvent, text);
}

void CConvProg::OnBatchStarted()
{
    Post(this, kBatchStartedEvent, Clock::now());
}

void CConvProg::OnTitle(const QString& title)
{
    Post(this, kTitleEvent, title);
}

void CConvProg::OnPaths(const QString& source, const QString& destination)
{
    Post(this, kPathsEvent, Paths{source, destination, Clock::now()});
}

void CConvProg::OnFinished()
{
    Post(this, QvEvent::ConvFinished, 0);
}

bool CConvProg::event(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QvEvent::ConvLog) {
        const LogLine& line = PayloadOf<LogLine>(event);
        AppendLogLine(line.text, line.code);
        if (line.code != LOG_INFO)
            m_taskbar.SetState(TaskbarProgress::Error);
    } else if (type == QvEvent::ConvProgress) {
        if (m_running.load())
            ShowProgress(PayloadOf<Progress>(event).current, PayloadOf<Progress>(event).overall);
    } else if (type == QvEvent::ConvFinished) {
        Finish();
    } else if (type == kBatchStartedEvent) {
        m_batchStart = m_fileStart = PayloadOf<Clock::time_point>(event);
        m_logColumnTimer->start();
    } else if (type == kTitleEvent) {
        if (!m_closeRequested)
            setWindowTitle(PayloadOf<QString>(event));
    } else if (type == kPathsEvent) {
        const Paths& paths = PayloadOf<Paths>(event);
        m_sourcePath->setText(paths.source);
        m_destinationPath->setText(paths.destination);
        m_fileStart = paths.at;
    } else if (type == kErrorBoxEvent) {
        auto* box = new QMessageBox(QMessageBox::Critical, QString(), PayloadOf<QString>(event), QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    } else if (type == kRunnerEndedEvent) {
        RunnerEnded();
    } else {
        return CResizeDlg::event(event);
    }
    return true;
}

void CConvProg::AppendLogLine(const QString& text, LogCode code)
{
    ++g_logCounter;
    auto* item = new QTreeWidgetItem;
    item->setData(0, Qt::UserRole, int(code));
    item->setText(1, QString::asprintf("%03d ", g_logCounter));
    item->setText(2, QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    item->setText(3, text);
    item->setToolTip(3, text);
    item->setTextAlignment(1, Qt::AlignCenter);
    item->setTextAlignment(2, Qt::AlignCenter);
    const bool odd = m_log->topLevelItemCount() % 2 == 1;
    for (int column = 0; column < 4; ++column) {
        item->setForeground(column, FromWinColor(code == LOG_INFO ? kInfoText : kErrorText));
        item->setBackground(column, odd ? FromWinColor(kOddRowBack) : QColor(Qt::white));
    }
    m_log->addTopLevelItem(item);
    m_log->scrollToItem(item);
}

void CConvProg::ShowProgress(float current, float overall)
{
    ++g_progressMessages;
    const float p = std::min(current, 100.0f);
    const float o = std::min(overall, 100.0f);
    m_currentDoneValue->setText(Percent(p));
    m_overallDoneValue->setText(Percent(o));
    m_currentBar->setValue(int(p));
    m_overallBar->setValue(int(o));
    if (g_progressMessages % 10 != 0)
        return;

    const double h = SecondsSince(m_fileStart);
    const double m = SecondsSince(m_batchStart);
    if (h <= 0.1)
        return;
    m_currentElapsedValue->setText(FormatHms(h));
    if (p > 0)
        m_currentEtaValue->setText(FormatHms((100.0 - p) * h / p));
    m_overallElapsedValue->setText(FormatHms(m));
    if (o > 0)
        m_overallEtaValue->setText(FormatHms((100.0 - o) * m / o));
    m_currentSpeedValue->setText(Speed(m_currentSeconds.load(), h));
    m_overallSpeedValue->setText(Speed(m_overallSeconds.load(), m));
    m_taskbar.SetValue(int(o), 100);
}

void CConvProg::Finish()
{
    m_running.store(0);
    m_currentDoneValue->setText(Percent(100));
    m_currentBar->setValue(100);
    m_currentEtaValue->setText(FormatHms(0));
    m_overallDoneValue->setText(Percent(100));
    m_overallBar->setValue(100);
    m_overallEtaValue->setText(FormatHms(0));
    m_pauseButton->setEnabled(!m_settings.sameAsSource);
    m_pauseButton->setText(QStringLiteral("Open Dir"));
    m_cancelButton->setText(QStringLiteral("Finish"));
    setWindowTitle(QStringLiteral("Finished Converting"));
    AppendLogLine(QStringLiteral("Finished converting, all done ^_^"), LOG_INFO);
    m_taskbar.SetValue(100, 100);
}

void CConvProg::RunnerEnded()
{
    m_runner.join(); // it has posted its last event and is returning
    if (m_closeRequested)
        done(QDialog::Rejected);
}

void CConvProg::OnPauseButton()
{
    if (m_running.load()) {
        const bool paused = !m_paused.load();
        m_paused.store(paused ? 1 : 0);
        m_pauseButton->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
        m_taskbar.SetState(paused ? TaskbarProgress::Paused : TaskbarProgress::Normal);
    } else if (!m_settings.sameAsSource) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_settings.outputFolder));
    }
}

void CConvProg::OnCancelButton()
{
    if (!m_running.load()) {
        CloseWhenRunnerEnds();
        return;
    }
    // Hold the encoder while the question is open; the batch may end meanwhile.
    const int wasPaused = m_paused.load();
    m_paused.store(1);
    const bool yes = askCancel(this);
    if (!yes) {
        m_paused.store(wasPaused);
        return;
    }
    if (!m_running.load()) { // the batch ended while the question was open
        CloseWhenRunnerEnds();
        return;
    }
    m_taskbar.SetState(TaskbarProgress::Indeterminate);
    m_running.store(0);
    m_pauseButton->setEnabled(false);
    m_cancelButton->setEnabled(false);
    setWindowTitle(QStringLiteral("Aborting, Please Wait..."));
    CloseWhenRunnerEnds();
}

void CConvProg::CloseWhenRunnerEnds()
{
    m_closeRequested = true;
    if (!m_runner.joinable())
        done(QDialog::Rejected);
}

void CConvProg::reject()
{
    // Escape does nothing; closing goes through the Cancel button's rules.
}

void CConvProg::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (!m_closeRequested)
        OnCancelButton();
}

void CConvProg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        CResizeDlg::keyPressEvent(event);
    }
}
