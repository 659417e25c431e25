#pragma once
// libsox set-up for the whole process.

class BatchHost;

// Initialises libsox once per process and routes its messages away from stderr. Call it on
// the main thread before any thread may run a libsox chain; later calls do nothing. Returns
// false when libsox could not be initialised.
bool InitSoxLibrary();

// While an object of this class lives, libsox warnings and errors raised on the current
// thread go to `host` as log lines. Elsewhere they are dropped.
class SoxMessageRoute {
public:
    explicit SoxMessageRoute(BatchHost& host);
    ~SoxMessageRoute();
    SoxMessageRoute(const SoxMessageRoute&) = delete;
    SoxMessageRoute& operator=(const SoxMessageRoute&) = delete;

private:
    BatchHost* m_previous;
};
