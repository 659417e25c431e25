#include "CliConverter.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillvane-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLVANE_VERSION));
    return RunCliConverter(QCoreApplication::arguments().mid(1));
}
