#pragma once
// Small file helpers shared by the tests.

#include <QByteArray>
#include <QFile>
#include <QString>

// Writes `bytes` to `path`, replacing it; false when that failed.
inline bool WriteTestFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The bytes of `path`; empty when it cannot be read.
inline QByteArray ReadTestFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

#include <QTemporaryDir>
#include <gtest/gtest.h>

// A test with a temporary folder of its own, and files written into it by name.
class TempFolderTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return m_dir.filePath(name); }

    // Writes a file of the folder; returns its path.
    QString WriteFile(const QString& name, const QByteArray& bytes) const
    {
        const QString path = PathOf(name);
        EXPECT_TRUE(WriteTestFile(path, bytes)) << qPrintable(path);
        return path;
    }

    static QByteArray ReadFile(const QString& path) { return ReadTestFile(path); }

    QTemporaryDir m_dir;
};
