#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

// Points the freedesktop data folder and the home folder at a temporary folder while alive.
class ScopedDataHome {
public:
    explicit ScopedDataHome(const QString& home, const QString& dataHome)
        : m_oldHome(qgetenv("HOME")), m_oldData(qgetenv("XDG_DATA_HOME")), m_hadData(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    {
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    }
    ~ScopedDataHome()
    {
        qputenv("HOME", m_oldHome);
        if (m_hadData)
            qputenv("XDG_DATA_HOME", m_oldData);
        else
            qunsetenv("XDG_DATA_HOME");
    }

private:
    QByteArray m_oldHome;
    QByteArray m_oldData;
    bool m_hadData;
};
