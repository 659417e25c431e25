#pragma once
// Progress on the application's launcher or task-manager entry, as the
// com.canonical.Unity.LauncherEntry D-Bus signal that docks and KDE Plasma show. Silent when
// there is no session bus.
//
// Threads: GUI thread only.

#include <QString>

class TaskbarProgress {
public:
    enum State { None = 0, Indeterminate = 1, Normal = 2, Error = 4, Paused = 8 };

    explicit TaskbarProgress(QString desktopId = QStringLiteral("quillvane.desktop"));

    void SetState(State state);
    // The value as done of total.
    void SetValue(double done, double total);

    State CurrentState() const { return m_state; }
    double CurrentFraction() const { return m_fraction; }

private:
    void Send();

    QString m_appUri;
    State m_state = None;
    double m_fraction = 0;
};
