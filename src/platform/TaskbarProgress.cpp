#include "TaskbarProgress.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>

TaskbarProgress::TaskbarProgress(QString desktopId) : m_appUri(QStringLiteral("application://") + desktopId) {}

void TaskbarProgress::SetState(State state)
{
    m_state = state;
    Send();
}

void TaskbarProgress::SetValue(double done, double total)
{
    m_fraction = total > 0 ? std::clamp(done / total, 0.0, 1.0) : 0.0;
    Send();
}

void TaskbarProgress::Send()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/com/canonical/unity/launcherentry/quillvane"),
                                                     QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                                     QStringLiteral("Update"));
    const bool visible = m_state == Normal || m_state == Paused || m_state == Error;
    signal << m_appUri
           << QVariantMap{{QStringLiteral("progress"), m_fraction},
                          {QStringLiteral("progress-visible"), visible},
                          {QStringLiteral("urgent"), m_state == Error}};
    bus.send(signal);
}
