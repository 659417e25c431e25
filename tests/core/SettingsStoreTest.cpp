// SettingsStore: where Config.ini lives, reading it with every value checked, and saving it
// without losing what a user wrote into it.

#include "FileHelpers.h"
#include "app/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <sys/stat.h>
#include <vector>

namespace {

// Sets environment variables for one test and puts the old values back afterwards.
class EnvironmentOverride {
public:
    ~EnvironmentOverride()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                qputenv(it->first, *it->second);
            else
                qunsetenv(it->first);
        }
    }

    void Set(const char* name, const QString& value)
    {
        Save(name);
        qputenv(name, QFile::encodeName(value));
    }

    void Unset(const char* name)
    {
        Save(name);
        qunsetenv(name);
    }

private:
    void Save(const char* name)
    {
        m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    }

    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};

class SettingsStoreTest : public TempFolderTest {};

// What LoadSettings gives for a missing file.
ConversionSettings Defaults()
{
    ConversionSettings settings;
    settings.sameAsSource = 0;
    settings.outputFolder = DefaultOutputFolder();
    settings.lastFolder.clear();
    settings.bitrateIndex = kDefaultBitrateIndex;
    settings.channelMode = CM_AUTOMATIC;
    settings.sampleRateIndex = 0;
    return settings;
}

// Values no file gives, so that a field LoadSettings forgets to set shows up.
ConversionSettings Garbage()
{
    ConversionSettings settings;
    settings.sameAsSource = 5;
    settings.outputFolder = QStringLiteral("stale out");
    settings.lastFolder = QStringLiteral("stale last");
    settings.bitrateIndex = 3;
    settings.channelMode = 2;
    settings.sampleRateIndex = 4;
    settings.outputFormat = 7;
    return settings;
}

void ExpectStoredFieldsEqual(const ConversionSettings& actual, const ConversionSettings& expected)
{
    EXPECT_EQ(actual.sameAsSource, expected.sameAsSource);
    EXPECT_EQ(actual.outputFolder, expected.outputFolder);
    EXPECT_EQ(actual.lastFolder, expected.lastFolder);
    EXPECT_EQ(actual.bitrateIndex, expected.bitrateIndex);
    EXPECT_EQ(actual.channelMode, expected.channelMode);
    EXPECT_EQ(actual.sampleRateIndex, expected.sampleRateIndex);
}

TEST_F(SettingsStoreTest, Folders)
{
    EnvironmentOverride environment;
    const QString home = PathOf(QStringLiteral("home"));
    const QString config = PathOf(QStringLiteral("config"));
    ASSERT_TRUE(QDir().mkpath(home));
    ASSERT_TRUE(QDir().mkpath(config));
    environment.Set("HOME", home);
    environment.Set("XDG_CONFIG_HOME", config);
    environment.Unset("XDG_MUSIC_DIR");
    environment.Unset("XDG_DESKTOP_DIR");

    EXPECT_EQ(SettingsFolder(), config + QStringLiteral("/Quillvane"));
    EXPECT_EQ(SettingsFilePath(), config + QStringLiteral("/Quillvane/Config.ini"));

    // The music and desktop folders come from user-dirs.dirs; each is passed over until it exists.
    QFile userDirs(config + QStringLiteral("/user-dirs.dirs"));
    ASSERT_TRUE(userDirs.open(QIODevice::WriteOnly));
    userDirs.write("XDG_MUSIC_DIR=\"$HOME/Tunes\"\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\n");
    userDirs.close();
    EXPECT_EQ(DefaultOutputFolder(), home + u'/');
    ASSERT_TRUE(QDir(home).mkdir(QStringLiteral("Desk")));
    EXPECT_EQ(DefaultOutputFolder(), home + QStringLiteral("/Desk/"));
    ASSERT_TRUE(QDir(home).mkdir(QStringLiteral("Tunes")));
    EXPECT_EQ(DefaultOutputFolder(), home + QStringLiteral("/Tunes/"));

    environment.Unset("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFilePath(), home + QStringLiteral("/.config/Quillvane/Config.ini"));
}

TEST_F(SettingsStoreTest, LoadChecksEveryValue)
{
    struct Case {
        const char* name;
        std::optional<QByteArray> content; // nothing: no file at all
        void (*expect)(ConversionSettings&);
    };
    const Case cases[] = {
        {"absent file", std::nullopt, [](ConversionSettings&) {}},
        {"empty file", QByteArray(), [](ConversionSettings&) {}},
        {"only LameBits", "[MP3]\nLameBits=16", [](ConversionSettings& s) { s.bitrateIndex = 16; }},
        {"empty DesDir", "[OUTPUT]\nDesDir=\n", [](ConversionSettings& s) { s.outputFolder.clear(); }},
        {"all set", "[OUTPUT]\nSameAsSrc=1\nDesDir=/out/\nLastDir=/in\n[MP3]\nLameBits=0\nLameChannel=4\nFreq=9\n",
         [](ConversionSettings& s) {
             s.sameAsSource = 1;
             s.outputFolder = QStringLiteral("/out/");
             s.lastFolder = QStringLiteral("/in");
             s.bitrateIndex = 0;
             s.channelMode = CM_DUAL_CHANNEL;
             s.sampleRateIndex = 9;
         }},
        {"LameBits 17", "[MP3]\nLameBits=17\n", [](ConversionSettings&) {}},
        {"LameBits -3", "[MP3]\nLameBits=-3\n", [](ConversionSettings&) {}},
        {"LameBits 40000", "[MP3]\nLameBits=40000\n", [](ConversionSettings&) {}},
        {"LameBits 2^32+5", "[MP3]\nLameBits=4294967301\n", [](ConversionSettings&) {}},
        {"LameBits abc", "[MP3]\nLameBits=abc\n", [](ConversionSettings&) {}},
        {"LameBits empty", "[MP3]\nLameBits=\n", [](ConversionSettings&) {}},
        {"LameBits with a note", "[MP3]\nLameBits=14 ; 256k\n", [](ConversionSettings& s) { s.bitrateIndex = 14; }},
        {"Freq 10", "[MP3]\nFreq=10\n", [](ConversionSettings&) {}},
        {"Freq 65544", "[MP3]\nFreq=65544\n", [](ConversionSettings&) {}}, // 8 once cut to 16 bits
        {"LameChannel 5", "[MP3]\nLameChannel=5\n", [](ConversionSettings&) {}},
        {"SameAsSrc 2", "[OUTPUT]\nSameAsSrc=2\n", [](ConversionSettings& s) { s.sameAsSource = 1; }},
        {"SameAsSrc abc", "[OUTPUT]\nSameAsSrc=abc\n", [](ConversionSettings&) {}},
        {"keys in the wrong section", "[MP3]\nDesDir=/x/\n[OUTPUT]\nLameBits=1\n", [](ConversionSettings&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = c.content ? WriteFile(QStringLiteral("load.ini"), *c.content)
                                       : PathOf(QStringLiteral("absent.ini"));
        ConversionSettings expected = Defaults();
        c.expect(expected);
        ConversionSettings settings = Garbage();
        EXPECT_TRUE(LoadSettings(settings, path));
        ExpectStoredFieldsEqual(settings, expected);
        EXPECT_EQ(settings.outputFormat, 7) << "not stored in the file";
    }
}

TEST_F(SettingsStoreTest, UnreadableFileGivesDefaultsAndFalse)
{
    const QString path = PathOf(QStringLiteral("Config.ini"));
    ASSERT_TRUE(QDir().mkdir(path));
    ConversionSettings settings = Garbage();
    EXPECT_FALSE(LoadSettings(settings, path));
    ExpectStoredFieldsEqual(settings, Defaults());
}

TEST_F(SettingsStoreTest, HandWrittenFileIsReadAndKeptOnSave)
{
    const QString path = WriteFile(QStringLiteral("Config.ini"), "; written by hand\r\n"
                                                                 "[output]\r\n"
                                                                 "samEasSrc=1\r\n"
                                                                 "desdir = C:\\Users\\x\\Music\\ \r\n"
                                                                 "Stray=keep me\r\n"
                                                                 "\r\n"
                                                                 "[Extra]\r\n"
                                                                 "Foo = bar\r\n"
                                                                 "[mp3]\r\n"
                                                                 "lamebits = 14\r\n"
                                                                 "# note\r\n");
    ConversionSettings settings = Garbage();
    ASSERT_TRUE(LoadSettings(settings, path));
    ConversionSettings expected = Defaults();
    expected.sameAsSource = 1;
    expected.outputFolder = QStringLiteral("C:\\Users\\x\\Music\\");
    expected.bitrateIndex = 14;
    ExpectStoredFieldsEqual(settings, expected);

    settings.sameAsSource = 0;
    settings.outputFolder = QStringLiteral("/home/me/Out/");
    settings.lastFolder = QStringLiteral("/home/me/In");
    settings.bitrateIndex = 16;
    settings.channelMode = CM_JOINT_STEREO;
    settings.sampleRateIndex = 8;
    ASSERT_TRUE(SaveSettings(settings, path));
    EXPECT_EQ(ReadFile(path), QByteArray("; written by hand\n"
                                         "[output]\n"
                                         "samEasSrc=0\n"
                                         "desdir=/home/me/Out/\n"
                                         "Stray=keep me\n"
                                         "LastDir=/home/me/In\n"
                                         "\n"
                                         "[Extra]\n"
                                         "Foo = bar\n"
                                         "[mp3]\n"
                                         "lamebits=16\n"
                                         "LameChannel=3\n"
                                         "Freq=8\n"
                                         "# note\n"));
    ConversionSettings reloaded = Garbage();
    ASSERT_TRUE(LoadSettings(reloaded, path));
    ExpectStoredFieldsEqual(reloaded, settings);
}

TEST_F(SettingsStoreTest, SaveIntoMissingFolder)
{
    const QString path = PathOf(QStringLiteral("a/b/Config.ini"));
    ConversionSettings settings = Defaults();
    settings.sameAsSource = 1;
    settings.outputFolder = QStringLiteral("/music/");
    settings.sampleRateIndex = 5;
    ASSERT_TRUE(SaveSettings(settings, path));
    EXPECT_EQ(ReadFile(path), QByteArray("[OUTPUT]\n"
                                         "SameAsSrc=1\n"
                                         "DesDir=/music/\n"
                                         "LastDir=\n"
                                         "\n"
                                         "[MP3]\n"
                                         "LameBits=11\n"
                                         "LameChannel=0\n"
                                         "Freq=5\n"));
}

TEST_F(SettingsStoreTest, PathsRoundTrip)
{
    const std::pair<QString, QString> folders[] = {
        {QStringLiteral("/home/Zo\u00eb/M\u00fczik/\u97f3\u697d/"), QStringLiteral("/media/\u0414\u0438\u0441\u043a")},
        {QStringLiteral(" /leading/and trailing/ "), QStringLiteral("\"/in quotes\"")},
        {QStringLiteral("/semi;colon/#hash/=equals/"), QStringLiteral("'/single'")},
        {QStringLiteral("/") + QString(2000, u'd') + u'/', QString()},
    };
    const QString path = PathOf(QStringLiteral("Config.ini"));
    for (const auto& [output, last] : folders) {
        SCOPED_TRACE(qPrintable(output));
        ConversionSettings settings = Defaults();
        settings.outputFolder = output;
        settings.lastFolder = last;
        ASSERT_TRUE(SaveSettings(settings, path));
        ConversionSettings reloaded = Garbage();
        ASSERT_TRUE(LoadSettings(reloaded, path));
        ExpectStoredFieldsEqual(reloaded, settings);
    }
}

TEST_F(SettingsStoreTest, SaveFailures)
{
    const ConversionSettings settings = Defaults();
    const QString directory = PathOf(QStringLiteral("Config.ini"));
    ASSERT_TRUE(QDir().mkdir(directory));
    EXPECT_FALSE(SaveSettings(settings, directory));

    const QString file = WriteFile(QStringLiteral("plain"), "x");
    EXPECT_FALSE(SaveSettings(settings, file + QStringLiteral("/sub/Config.ini")));
    EXPECT_EQ(ReadFile(file), QByteArray("x"));

    // An existing file that cannot be read is not replaced unseen.
    const QString fifo = PathOf(QStringLiteral("fifo.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(SaveSettings(settings, fifo));
    EXPECT_FALSE(QFileInfo(fifo).isFile());
}

} // namespace
