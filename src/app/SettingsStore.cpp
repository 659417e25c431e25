#include "SettingsStore.h"

#include "IniFile.h"
#include "engine/NumberText.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <optional>

namespace {

const QString kOutputSection = QStringLiteral("OUTPUT");
const QString kMp3Section = QStringLiteral("MP3");
const QString kSameAsSourceKey = QStringLiteral("SameAsSrc");
const QString kOutputFolderKey = QStringLiteral("DesDir");
const QString kLastFolderKey = QStringLiteral("LastDir");
const QString kBitrateKey = QStringLiteral("LameBits");
const QString kChannelModeKey = QStringLiteral("LameChannel");
const QString kSampleRateKey = QStringLiteral("Freq");

// The index stored under `key`, or `fallback` when it is missing, has no number or lies
// outside 0..count-1 (a missing key reads as "", which has no number). Compared as int, so a
// value such as 40000 cannot wrap into range.
std::int16_t ReadIndex(const IniFile& ini, const QString& section, const QString& key, std::size_t count,
                       std::int16_t fallback)
{
    const std::optional<int> value = ParseLeadingInt(ini.ReadString(section, key, QString()));
    if (!value || *value < 0 || *value >= int(count))
        return fallback;
    return std::int16_t(*value);
}

QString ExistingFolder(QStandardPaths::StandardLocation location)
{
    const QString path = QStandardPaths::writableLocation(location);
    return !path.isEmpty() && QFileInfo(path).isDir() ? path : QString();
}

QString WithTrailingSlash(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

QString SettingsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Quillvane");
}

QString SettingsFilePath()
{
    return SettingsFolder() + QStringLiteral("/Config.ini");
}

QString DefaultOutputFolder()
{
    QString folder = ExistingFolder(QStandardPaths::MusicLocation);
    if (folder.isEmpty())
        folder = ExistingFolder(QStandardPaths::DesktopLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return WithTrailingSlash(folder);
}

bool LoadSettings(ConversionSettings& settings, const QString& path)
{
    IniFile ini;
    // A missing file reads as an empty one: every field takes its default.
    const bool readable = ini.Load(path) || !QFileInfo::exists(path);

    const std::optional<int> sameAsSource =
        ParseLeadingInt(ini.ReadString(kOutputSection, kSameAsSourceKey, QString()));
    settings.sameAsSource = sameAsSource.value_or(0) != 0 ? 1 : 0;
    settings.bitrateIndex = ReadIndex(ini, kMp3Section, kBitrateKey, kBitrateTable.size(), kDefaultBitrateIndex);
    settings.channelMode = ReadIndex(ini, kMp3Section, kChannelModeKey, CM_DUAL_CHANNEL + 1, CM_AUTOMATIC);
    settings.sampleRateIndex = ReadIndex(ini, kMp3Section, kSampleRateKey, kSampleRateTable.size(), 0);
    settings.outputFolder = ini.ReadString(kOutputSection, kOutputFolderKey, DefaultOutputFolder());
    settings.lastFolder = ini.ReadString(kOutputSection, kLastFolderKey, QString());
    return readable;
}

bool SaveSettings(const ConversionSettings& settings, const QString& path)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    IniFile ini;
    if (!ini.Load(path) && QFileInfo::exists(path))
        return false;
    ini.WriteInt(kOutputSection, kSameAsSourceKey, settings.sameAsSource);
    ini.WriteString(kOutputSection, kOutputFolderKey, settings.outputFolder);
    ini.WriteString(kOutputSection, kLastFolderKey, settings.lastFolder);
    ini.WriteInt(kMp3Section, kBitrateKey, settings.bitrateIndex);
    ini.WriteInt(kMp3Section, kChannelModeKey, settings.channelMode);
    ini.WriteInt(kMp3Section, kSampleRateKey, settings.sampleRateIndex);
    return ini.Save(path);
}
