#pragma once
// Shared set-up for tests that run whole conversion jobs on generated Ogg Vorbis files.

#include "OggFixture.h"
#include "QtPrinters.h"
#include "TestBatchHost.h"
#include "engine/ConversionJob.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class JobFixture : public ::testing::Test {
protected:
    // Writes a generated Ogg Vorbis file into the test's folder; returns its path.
    QString WriteOgg(const QString& name, const qvtest::OggFixtureSpec& recipe)
    {
        const QString path = m_dir.filePath(name);
        const std::string error = qvtest::WriteOggFixture(path.toStdString(), recipe);
        EXPECT_EQ(error, "");
        return path;
    }

    // A job that keeps the source's format, writing `mp3Name` into the test's folder.
    CConversionTask JobFor(const QString& source, const qvtest::OggFixtureSpec& recipe, const QString& mp3Name)
    {
        CConversionTask job;
        job.sourcePath = source;
        job.sourceSampleRate = job.outputSampleRate = std::uint32_t(recipe.sampleRate);
        job.sourceChannels = job.outputChannels = std::uint32_t(recipe.channels);
        job.expectedSamples = std::uint64_t(recipe.frames) * std::uint64_t(recipe.channels);
        job.destinationPath = m_dir.filePath(mp3Name);
        return job;
    }

    // Runs the job to its end as the batch runner does; true when it converted.
    bool Convert(CConversionTask& job)
    {
        m_host.m_running.store(1);
        m_host.m_overallTotal = job.expectedSamples;
        const bool decoded = RunConversionJob(job, m_host);
        JoinStageThreads(m_host);
        return decoded && m_host.m_running.load();
    }

    QStringList Mp3Files() const { return QDir(m_dir.path()).entryList({QStringLiteral("*.mp3")}, QDir::Files); }

    QTemporaryDir m_dir;
    TestBatchHost m_host;
};
