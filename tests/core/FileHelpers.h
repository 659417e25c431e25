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
