#include "SoxLibrary.h"

#include "BatchHost.h"

#include <sox.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

thread_local BatchHost* t_messageHost = nullptr;

// libsox levels: 1 failure, 2 warning, 3 and above information and debugging.
void RouteSoxMessage(unsigned level, const char* file, const char* format, va_list args)
{
    if (!t_messageHost || level > 2)
        return;
    char text[512];
    if (std::vsnprintf(text, sizeof text, format, args) < 0)
        return;
    PostLogLine(*t_messageHost, QStringLiteral("libsox %1: %2").arg(QString::fromUtf8(file), QString::fromUtf8(text)),
                level == 1 ? LOG_ERROR : LOG_INFO);
}

} // namespace

bool InitSoxLibrary()
{
    static bool ok = false;
    static std::once_flag once;
    std::call_once(once, [] {
        sox_get_globals()->output_message_handler = RouteSoxMessage;
        ok = sox_init() == SOX_SUCCESS;
    });
    return ok;
}

SoxMessageRoute::SoxMessageRoute(BatchHost& host) : m_previous(t_messageHost)
{
    t_messageHost = &host;
}

SoxMessageRoute::~SoxMessageRoute()
{
    t_messageHost = m_previous;
}
