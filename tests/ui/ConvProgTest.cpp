// The progress window driving real batches of generated files through the real runner.

#include "Mp3Reader.h"
#include "OggFixture.h"
#include "QtPrinters.h"
#include "batch/ConvProg.h"
#include "batch/ConversionTaskBuilder.h"
#include "filelist/AudioFileProbe.h"
#include "platform/WinColor.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

using qvtest::OggFixtureSpec;

class ConvProgTest : public ::testing::Test {
protected:
    // A window for generated sources of these lengths (seconds), writing into the test folder.
    std::unique_ptr<CConvProg> Window(const std::vector<double>& seconds, bool besideSource = false)
    {
        std::vector<ProbedFile> files;
        for (std::size_t i = 0; i < seconds.size(); ++i) {
            OggFixtureSpec recipe;
            recipe.frames = std::int64_t(seconds[i] * recipe.sampleRate);
            recipe.seed = std::uint32_t(i + 1);
            const QString path = m_dir.filePath(QStringLiteral("song%1.ogg").arg(i + 1));
            EXPECT_EQ(qvtest::WriteOggFixture(path.toStdString(), recipe), "");
            files.push_back({path, ProbeFile(path)});
        }
        ConversionSettings settings;
        settings.sameAsSource = besideSource ? 1 : 0;
        settings.outputFolder = m_dir.filePath(QStringLiteral("out"));
        auto window = std::make_unique<CConvProg>(BuildConversionTasks(files, settings, nullptr), settings);
        window->startDelay = std::chrono::milliseconds(0);
        return window;
    }

    template <typename T = QWidget>
    static T* Control(const CConvProg& window, int id)
    {
        T* control = window.findChild<T*>(QStringLiteral("idc_%1").arg(id));
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }
    static QString Text(const CConvProg& window, int id) { return Control<QLabel>(window, id)->text(); }

    static QTreeWidget* Log(const CConvProg& window) { return Control<QTreeWidget>(window, 1003); }
    static QStringList LogTexts(const CConvProg& window)
    {
        QStringList texts;
        for (int i = 0; i < Log(window)->topLevelItemCount(); ++i)
            texts << Log(window)->topLevelItem(i)->text(3);
        return texts;
    }

    static bool WaitFor(const std::function<bool()>& condition, int ms = 30000)
    {
        return QTest::qWaitFor(condition, ms);
    }

    static void Screenshot(CConvProg& window, const char* name)
    {
        QDir().mkpath(QStringLiteral(QV_SCREENSHOT_DIR));
        window.grab().save(QStringLiteral(QV_SCREENSHOT_DIR "/progress-%1.png").arg(QLatin1String(name)));
    }

    QStringList Mp3s() const
    {
        return QDir(m_dir.filePath(QStringLiteral("out"))).entryList({QStringLiteral("*.mp3")}, QDir::Files);
    }

    QTemporaryDir m_dir;
};

TEST_F(ConvProgTest, FinishedBatch)
{
    auto window = Window({0.5, 0.5});
    window->show();
    ASSERT_TRUE(WaitFor([&] { return window->windowTitle() == QStringLiteral("Finished Converting"); }));
    Screenshot(*window, "finished");

    EXPECT_EQ(Text(*window, 1080), QStringLiteral("100.00%"));
    EXPECT_EQ(Text(*window, 1081), QStringLiteral("100.00%"));
    EXPECT_EQ(Control<QProgressBar>(*window, 1073)->value(), 100);
    EXPECT_EQ(Control<QProgressBar>(*window, 1074)->value(), 100);
    EXPECT_EQ(Text(*window, 1088), QStringLiteral("00:00:00"));
    EXPECT_EQ(Control<QPushButton>(*window, 1075)->text(), QStringLiteral("Open Dir"));
    EXPECT_TRUE(Control<QPushButton>(*window, 1075)->isEnabled());
    EXPECT_EQ(Control<QPushButton>(*window, 2)->text(), QStringLiteral("Finish"));
    EXPECT_EQ(LogTexts(*window).last(), QStringLiteral("Finished converting, all done ^_^"));
    EXPECT_TRUE(LogTexts(*window).contains(QStringLiteral("Converting status: OK.")));
    EXPECT_EQ(Mp3s().size(), 2);

    // Colours: information in blue, odd rows tinted.
    const QTreeWidgetItem* first = Log(*window)->topLevelItem(0);
    const QTreeWidgetItem* second = Log(*window)->topLevelItem(1);
    EXPECT_EQ(first->foreground(3).color(), QColor(Qt::blue));
    EXPECT_EQ(first->background(3).color(), QColor(Qt::white));
    EXPECT_EQ(second->background(3).color(), FromWinColor(0xFCF5F3));

    // Escape and Enter do nothing; Finish closes.
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    QTest::mouseClick(Control<QPushButton>(*window, 2), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return !window->isVisible(); }, 5000));
}

TEST_F(ConvProgTest, OpenDirIsDisabledBesideTheSources)
{
    auto window = Window({0.2}, true);
    window->show();
    ASSERT_TRUE(WaitFor([&] { return window->windowTitle() == QStringLiteral("Finished Converting"); }));
    EXPECT_FALSE(Control<QPushButton>(*window, 1075)->isEnabled());
    EXPECT_TRUE(QFile::exists(m_dir.filePath(QStringLiteral("song1.mp3"))));
}

TEST_F(ConvProgTest, ProgressFieldsAndTheirFormats)
{
    EXPECT_EQ(CConvProg::FormatHms(3725.9), QStringLiteral("01:02:05"));
    EXPECT_EQ(CConvProg::FormatHms(-5), QStringLiteral("00:00:00"));

    auto window = Window({20});
    window->m_paused.store(1); // the encoder holds, so the batch stays running
    window->show();
    ASSERT_TRUE(WaitFor([&] { return !Text(*window, 1092).isEmpty(); }));
    QTest::qWait(150); // the slower fields wait for a tenth of a second into the file

    window->OnProgress(103.7f, 42.0f, false);
    QCoreApplication::processEvents();
    EXPECT_EQ(Text(*window, 1080), QStringLiteral("100.00%"));
    EXPECT_EQ(Control<QProgressBar>(*window, 1073)->value(), 100);
    EXPECT_EQ(Text(*window, 1081), QStringLiteral("42.00%"));
    Screenshot(*window, "paused");

    // The elapsed, ETA and speed fields change on every tenth message only.
    QLabel* elapsed = Control<QLabel>(*window, 1087);
    std::vector<int> changedAt;
    for (int i = 0; i < 20; ++i) {
        elapsed->setText(QStringLiteral("x"));
        window->OnProgress(10.0f, 10.0f, false);
        QCoreApplication::processEvents();
        if (elapsed->text() != QStringLiteral("x"))
            changedAt.push_back(i);
    }
    ASSERT_EQ(changedAt.size(), 2u);
    EXPECT_EQ(changedAt[1] - changedAt[0], 10);
    EXPECT_EQ(Text(*window, 1088).size(), 8) << "ETA as hh:mm:ss";

    // Pause, then Cancel, then No: still paused, still "Resume".
    QPushButton* pause = Control<QPushButton>(*window, 1075);
    window->m_paused.store(0);
    QTest::mouseClick(pause, Qt::LeftButton);
    EXPECT_EQ(pause->text(), QStringLiteral("Resume"));
    EXPECT_EQ(window->Taskbar().CurrentState(), TaskbarProgress::Paused);
    window->askCancel = [](QWidget*) { return false; };
    QTest::mouseClick(Control<QPushButton>(*window, 2), Qt::LeftButton);
    EXPECT_EQ(window->m_paused.load(), 1);
    EXPECT_EQ(pause->text(), QStringLiteral("Resume"));
    EXPECT_TRUE(window->isVisible());

    // Cancel, Yes: aborts without blocking and closes once the threads have ended.
    window->askCancel = [](QWidget*) { return true; };
    QTest::mouseClick(Control<QPushButton>(*window, 2), Qt::LeftButton);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Aborting, Please Wait..."));
    EXPECT_TRUE(WaitFor([&] { return !window->isVisible(); }, 3000));
    EXPECT_FALSE(window->RunnerAlive());
    EXPECT_TRUE(Mp3s().isEmpty()) << Mp3s().join(u' ').toStdString();
}

TEST_F(ConvProgTest, CancelDuringALongFileClosesPromptly)
{
    auto window = Window({60});
    window->askCancel = [](QWidget*) { return true; };
    window->show();
    ASSERT_TRUE(WaitFor([&] { return window->m_currentDone.load() > 0; }));
    // Hold the encoder for the picture, so that the file cannot end before Cancel.
    window->m_paused.store(1);
    QTest::qWait(150);
    Screenshot(*window, "running");
    window->m_paused.store(0);
    QTest::mouseClick(Control<QPushButton>(*window, 2), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return !window->isVisible(); }, 3000));
    EXPECT_TRUE(Mp3s().isEmpty()) << Mp3s().join(u' ').toStdString();
}

TEST_F(ConvProgTest, ErrorStopKeepsTheWindowOpen)
{
    auto window = Window({0.5, 0.5});
    QFile broken(m_dir.filePath(QStringLiteral("song1.ogg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write(QByteArray(4000, 'x'));
    broken.close();
    window->show();
    ASSERT_TRUE(WaitFor([&] { return LogTexts(*window).contains(QStringLiteral("Converting status: ERROR.")); }));
    ASSERT_TRUE(WaitFor([&] { return !window->RunnerAlive(); }));
    Screenshot(*window, "error");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Converting 1/2"));
    EXPECT_EQ(window->Taskbar().CurrentState(), TaskbarProgress::Error);
    const QTreeWidgetItem* last = Log(*window)->topLevelItem(Log(*window)->topLevelItemCount() - 1);
    EXPECT_EQ(last->foreground(3).color(), QColor(Qt::red));
    EXPECT_TRUE(Mp3s().isEmpty());
    QTest::mouseClick(Control<QPushButton>(*window, 2), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return !window->isVisible(); }, 3000));
}

TEST_F(ConvProgTest, LogNumberingContinuesAfterClearAndAcrossBatches)
{
    auto number = [](const QTreeWidgetItem* item) { return item->text(1).trimmed().toInt(); };
    auto first = Window({0.2});
    first->show();
    ASSERT_TRUE(WaitFor([&] { return first->windowTitle() == QStringLiteral("Finished Converting"); }));
    QTreeWidget* log = Log(*first);
    const int last = number(log->topLevelItem(log->topLevelItemCount() - 1));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{3,} $")).match(log->topLevelItem(0)->text(1)).hasMatch());
    QTest::mouseClick(Control<QPushButton>(*first, 1096), Qt::LeftButton);
    EXPECT_EQ(log->topLevelItemCount(), 0);
    QTest::mouseClick(Control<QPushButton>(*first, 2), Qt::LeftButton);

    auto second = Window({0.2});
    second->show();
    ASSERT_TRUE(WaitFor([&] { return Log(*second)->topLevelItemCount() > 0; }));
    EXPECT_EQ(number(Log(*second)->topLevelItem(0)), last + 1);
    ASSERT_TRUE(WaitFor([&] { return second->windowTitle() == QStringLiteral("Finished Converting"); }));
}

} // namespace
