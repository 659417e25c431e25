// Pause and stop while a job runs.

#include "JobFixture.h"
#include "Mp3Reader.h"

#include <QFile>

#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;
using qvtest::OggFixtureSpec;

class ConversionControl : public JobFixture {
protected:
    ConversionControl()
    {
        recipe.frames = 44100 * 15; // more samples than a ring holds
    }

    // Starts the job on its own thread, as the batch runner does.
    std::future<bool> Start(CConversionTask& job)
    {
        m_host.m_running.store(1);
        m_host.m_overallTotal = job.expectedSamples;
        return std::async(std::launch::async, [this, &job] {
            const bool decoded = RunConversionJob(job, m_host);
            JoinStageThreads(m_host);
            return decoded && m_host.m_running.load();
        });
    }

    // Waits until `condition` holds, at most `limit`.
    template <typename F>
    bool WaitFor(F condition, std::chrono::milliseconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    OggFixtureSpec recipe;
};

TEST_F(ConversionControl, PauseHoldsEveryStageAndResumeFinishesTheFile)
{
    const QString ogg = WriteOgg(QStringLiteral("long.ogg"), recipe);
    CConversionTask job = JobFor(ogg, recipe, QStringLiteral("long.mp3"));
    m_host.m_paused.store(1);
    std::future<bool> done = Start(job);

    // The decoder cannot finish: the paused encoder takes nothing and the ring fills.
    EXPECT_EQ(done.wait_for(300ms), std::future_status::timeout);
    EXPECT_EQ(m_host.m_currentDone.load(), 0u);
    EXPECT_TRUE(m_host.Progress().empty());

    m_host.m_paused.store(0);
    ASSERT_TRUE(done.get()) << m_host.Errors().join(u'\n').toStdString();
    EXPECT_EQ(m_host.m_currentDone.load(), job.expectedSamples);
    const Mp3Properties mp3 = ReadMp3Properties(job.destinationPath);
    ASSERT_TRUE(mp3.ok);
    EXPECT_NEAR(mp3.length, 15.0, 1152.0 / 44100);
}

TEST_F(ConversionControl, StopEndsEveryStageAndRemovesThePartialFile)
{
    const QString ogg = WriteOgg(QStringLiteral("long.ogg"), recipe);
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "stopped while paused" : "stopped while encoding");
        CConversionTask job = JobFor(ogg, recipe, QStringLiteral("long.mp3"));
        m_host.m_currentDone.store(0);
        m_host.m_paused.store(paused ? 1 : 0);
        std::future<bool> done = Start(job);
        if (paused)
            ASSERT_EQ(done.wait_for(100ms), std::future_status::timeout);
        else
            ASSERT_TRUE(WaitFor([&] { return m_host.m_currentDone.load() > 0; }, 10s));

        m_host.m_running.store(0);
        ASSERT_EQ(done.wait_for(1s), std::future_status::ready) << "a stage did not stop";
        EXPECT_FALSE(done.get());
        EXPECT_TRUE(m_host.Errors().isEmpty()); // a stop is not an error of the job
        EXPECT_FALSE(QFile::exists(job.destinationPath));
        EXPECT_TRUE(m_host.Infos().contains(QStringLiteral("Removed the incomplete file %1").arg(job.destinationPath)));
    }
}

} // namespace
