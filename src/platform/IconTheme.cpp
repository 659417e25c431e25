#include "IconTheme.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>

#include <algorithm>

void SetUpIconTheme()
{
    QStringList paths = QIcon::themeSearchPaths();
    paths << QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                       QStandardPaths::LocateDirectory);
    paths.removeDuplicates();
    QIcon::setThemeSearchPaths(paths);

    const QString current = QIcon::themeName();
    if (current.isEmpty() || current == QStringLiteral("hicolor")) {
        for (const char* theme : {"breeze", "Adwaita"}) {
            const bool installed = std::any_of(paths.cbegin(), paths.cend(), [&](const QString& path) {
                return QFileInfo::exists(QDir(path).filePath(QLatin1String(theme) + QStringLiteral("/index.theme")));
            });
            if (installed) {
                QIcon::setThemeName(QLatin1String(theme));
                break;
            }
        }
    }
    QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
}
