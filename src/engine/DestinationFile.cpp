#include "DestinationFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

std::FILE* CreateDestinationFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "w+b");
    if (!file) {
        const int error = errno;
        ::close(fd);
        ::unlink(name.constData()); // created above, still empty
        errno = error;
    }
    return file;
}
