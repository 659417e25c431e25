#include "ProfileStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace {

// A fresh object per operation: QSettings keeps the first error of an object for good, so a
// single failed write would otherwise fail every later one. Qt shares the parsed file between
// objects, so this costs little.
std::unique_ptr<QSettings> Settings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Tessaloom Corporation"),
                                       QFileInfo(QCoreApplication::applicationFilePath()).baseName());
}

QString Key(const QString& section, const QString& entry)
{
    return section + u'/' + (entry.isEmpty() ? QLatin1String(ProfileStore::kEmptyEntryKey) : entry);
}

bool Synced(QSettings& settings)
{
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

std::optional<QByteArray> ProfileStore::ReadBinary(const QString& section, const QString& entry) const
{
    const QVariant value = Settings()->value(Key(section, entry));
    if (!value.isValid())
        return std::nullopt;
    return value.toByteArray();
}

bool ProfileStore::WriteBinary(const QString& section, const QString& entry, const QByteArray& value)
{
    const auto settings = Settings();
    settings->setValue(Key(section, entry), value);
    return Synced(*settings);
}

std::optional<int> ProfileStore::ReadInt(const QString& section, const QString& entry) const
{
    bool ok = false;
    const int value = Settings()->value(Key(section, entry)).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool ProfileStore::WriteInt(const QString& section, const QString& entry, int value)
{
    const auto settings = Settings();
    settings->setValue(Key(section, entry), value);
    return Synced(*settings);
}
