// IniFile: lookup rules of hand-written files, line ends and encodings, number reading, and
// writes that leave the rest of a file as it was.

#include "FileHelpers.h"
#include "app/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <sys/stat.h>

namespace {

class IniFileTest : public TempFolderTest {
protected:
    IniFile LoadText(const QByteArray& bytes) const
    {
        IniFile ini;
        EXPECT_TRUE(ini.Load(WriteFile(QStringLiteral("t.ini"), bytes)));
        return ini;
    }
};

const QString kDefault = QStringLiteral("<default>");

TEST_F(IniFileTest, LookupRules)
{
    const QByteArray longValue(5000, 'x');
    const IniFile ini = LoadText(QByteArray("orphan=before any section\n"
                                            "; comment=not a key\n"
                                            "# hash=not a key either\n"
                                            "[Paths]\n"
                                            "Music = C:\\Users\\x\\Music\\ \n"
                                            "Quoted = \"  padded  \"\n"
                                            "Single = 'single'\n"
                                            "Mismatched = \"open'\n"
                                            "Inner = a \"b\" c\n"
                                            "Lone = \"\n"
                                            "Empty =\n"
                                            "Equals = a=b=c\n"
                                            "NoEquals line\n"
                                            "  ; Indented comment = x\n"
                                            "Dup = first\n"
                                            "DUP = second\n"
                                            "\t Indented \t=  yes  \n"
                                            "[  spaced name  ] trailing text\n"
                                            "k = spaced\n"
                                            "[paths]\n"
                                            "Late = in a repeated section\n"
                                            "[Other]\n"
                                            "Long = ") +
                                 longValue + "\n");

    struct Case {
        const char* section;
        const char* key;
        std::optional<QString> expected; // nothing: the key is not found
    };
    const Case cases[] = {
        {"paths", "MUSIC", QStringLiteral("C:\\Users\\x\\Music\\")},
        {"Paths", "quoted", QStringLiteral("  padded  ")},
        {"Paths", "Single", QStringLiteral("single")},
        {"Paths", "Mismatched", QStringLiteral("\"open'")},
        {"Paths", "Inner", QStringLiteral("a \"b\" c")},
        {"Paths", "Lone", QStringLiteral("\"")},
        {"Paths", "Empty", QString()},
        {"Paths", "Equals", QStringLiteral("a=b=c")},
        {"Paths", "Dup", QStringLiteral("first")},
        {"Paths", "Indented", QStringLiteral("yes")},
        {" Paths ", " indented ", QStringLiteral("yes")},
        {"Spaced Name", "K", QStringLiteral("spaced")},
        {"Other", "Long", QString::fromLatin1(longValue)},
        {"Paths", "Late", std::nullopt},
        {"Paths", "orphan", std::nullopt},
        {"", "orphan", std::nullopt},
        {"Paths", "NoEquals line", std::nullopt},
        {"Paths", "; Indented comment", std::nullopt},
        {"Paths", "# hash", std::nullopt},
        {"Missing", "Music", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "[" << c.section << "] " << c.key);
        const QString section = QString::fromLatin1(c.section);
        const QString key = QString::fromLatin1(c.key);
        EXPECT_EQ(ini.ReadString(section, key, kDefault), c.expected.value_or(kDefault));
    }
}

TEST_F(IniFileTest, LineEndsAndEncodings)
{
    const QString accented = QStringLiteral("caf\u00e9 \u97f3\u697d");
    QByteArray utf16 = "\xFF\xFE";
    const QString text = QStringLiteral("[A]\r\nk=") + accented + QStringLiteral("\r\nn=2\r\n");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);

    const std::pair<const char*, QByteArray> cases[] = {
        {"LF", "[A]\nk=caf\xC3\xA9 \xE9\x9F\xB3\xE6\xA5\xBD\nn=2\n"},
        {"CRLF", "[A]\r\nk=caf\xC3\xA9 \xE9\x9F\xB3\xE6\xA5\xBD\r\nn=2\r\n"},
        {"UTF-8 BOM", "\xEF\xBB\xBF[A]\r\nk=caf\xC3\xA9 \xE9\x9F\xB3\xE6\xA5\xBD\r\nn=2"},
        {"UTF-16 BOM", utf16},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        const IniFile ini = LoadText(bytes);
        EXPECT_EQ(ini.ReadString(QStringLiteral("a"), QStringLiteral("K"), kDefault), accented);
        EXPECT_EQ(ini.ReadInt(QStringLiteral("A"), QStringLiteral("n"), -1), 2);
    }
}

TEST_F(IniFileTest, ReadIntTakesTheLeadingDigits)
{
    const IniFile ini = LoadText("[N]\n"
                                 "plain=42\n"
                                 "zeros=007\n"
                                 "suffix=12abc\n"
                                 "letters=abc\n"
                                 "empty=\n"
                                 "negative=-5\n"
                                 "hex=0x10\n"
                                 "quotedBlank=\" 9\"\n"
                                 "max=2147483647\n"
                                 "over=2147483648\n"
                                 "huge=99999999999999999999999\n");
    const std::pair<const char*, int> cases[] = {
        {"plain", 42}, {"zeros", 7},   {"suffix", 12},      {"letters", 0},    {"empty", 0},     {"negative", 0},
        {"hex", 0},    {"quotedBlank", 9}, {"max", INT_MAX}, {"over", INT_MAX}, {"huge", INT_MAX}, {"missing", -7},
    };
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(ini.ReadInt(QStringLiteral("n"), QString::fromLatin1(key), -7), expected) << key;
}

TEST_F(IniFileTest, LoadFailuresLeaveItEmpty)
{
    IniFile ini = LoadText("[S]\nk=v\n");
    ASSERT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), kDefault), QStringLiteral("v"));

    EXPECT_FALSE(ini.Load(PathOf(QStringLiteral("missing.ini"))));
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), kDefault), kDefault);

    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.ini")));
    EXPECT_FALSE(ini.Load(PathOf(QStringLiteral("folder.ini"))));

    // A FIFO with no writer would block a plain read for good.
    const QString fifo = PathOf(QStringLiteral("fifo.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(ini.Load(fifo));
}

TEST_F(IniFileTest, WritesKeepTheRestOfTheFile)
{
    const QString path = WriteFile(QStringLiteral("keep.ini"), "; settings\r\n"
                                                               "orphan=1\r\n"
                                                               "[A]\r\n"
                                                               "  Key One = old  \r\n"
                                                               "junk line\r\n"
                                                               "; trailing comment of A\r\n"
                                                               "\r\n"
                                                               "[B]\r\n"
                                                               "x=1\r\n"
                                                               "[a]\r\n"
                                                               "dup=2");
    IniFile ini;
    ASSERT_TRUE(ini.Load(path));
    ini.WriteString(QStringLiteral("a"), QStringLiteral("KEY ONE"), QStringLiteral("new"));
    ini.WriteInt(QStringLiteral("A"), QStringLiteral("added"), 7);
    ini.WriteString(QStringLiteral("C"), QStringLiteral("c"), QStringLiteral("z"));
    ini.WriteInt(QStringLiteral("b"), QStringLiteral("X"), -2);
    ini.WriteString(QStringLiteral("A"), QStringLiteral("dup"), QStringLiteral("3")); // the first [A] only
    ini.WriteString(QStringLiteral("C"), QStringLiteral("d"), QStringLiteral("w"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("a"), QStringLiteral("key one"), kDefault), QStringLiteral("new"));
    ASSERT_TRUE(ini.Save(path));

    EXPECT_EQ(ReadFile(path), QByteArray("; settings\n"
                                         "orphan=1\n"
                                         "[A]\n"
                                         "Key One=new\n"
                                         "added=7\n"
                                         "dup=3\n"
                                         "junk line\n"
                                         "; trailing comment of A\n"
                                         "\n"
                                         "[B]\n"
                                         "x=-2\n"
                                         "[a]\n"
                                         "dup=2\n"
                                         "\n"
                                         "[C]\n"
                                         "c=z\n"
                                         "d=w\n"));

    IniFile empty;
    empty.WriteInt(QStringLiteral("S"), QStringLiteral("k"), 1);
    ASSERT_TRUE(empty.Save(path));
    EXPECT_EQ(ReadFile(path), QByteArray("[S]\nk=1\n"));
}

TEST_F(IniFileTest, WrittenValuesReadBackUnchanged)
{
    const QString values[] = {
        QString(),
        QStringLiteral("plain"),
        QStringLiteral(" leading"),
        QStringLiteral("trailing\t"),
        QStringLiteral("\"quoted\""),
        QStringLiteral("'single'"),
        QStringLiteral("\""),
        QStringLiteral("\"half"),
        QStringLiteral("C:\\Users\\x\\Music\\"),
        QStringLiteral("/home/Zo\u00eb/\u97f3\u697d/"),
        QStringLiteral("a ; b # c = d [e]"),
        QString(3000, u'y'),
    };
    const QString path = PathOf(QStringLiteral("values.ini"));
    IniFile written;
    for (std::size_t i = 0; i < std::size(values); ++i)
        written.WriteString(QStringLiteral("V"), QStringLiteral("k%1").arg(i), values[i]);
    written.WriteString(QStringLiteral("V"), QStringLiteral("broken"), QStringLiteral("a\nb\r\nc"));
    written.WriteString(QStringLiteral("V"), QStringLiteral("after"), QStringLiteral("ok"));
    ASSERT_TRUE(written.Save(path));

    IniFile read;
    ASSERT_TRUE(read.Load(path));
    for (std::size_t i = 0; i < std::size(values); ++i) {
        const QString key = QStringLiteral("k%1").arg(i);
        EXPECT_EQ(written.ReadString(QStringLiteral("V"), key, kDefault), values[i]) << i;
        EXPECT_EQ(read.ReadString(QStringLiteral("V"), key, kDefault), values[i]) << i;
    }
    // A line break cannot be stored; it must not spill into a line of its own.
    EXPECT_EQ(read.ReadString(QStringLiteral("V"), QStringLiteral("broken"), kDefault), QStringLiteral("a b  c"));
    EXPECT_EQ(read.ReadString(QStringLiteral("V"), QStringLiteral("after"), kDefault), QStringLiteral("ok"));
}

TEST_F(IniFileTest, SaveFailures)
{
    IniFile ini;
    ini.WriteInt(QStringLiteral("S"), QStringLiteral("k"), 1);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("dir.ini")));
    EXPECT_FALSE(ini.Save(PathOf(QStringLiteral("dir.ini"))));
    EXPECT_FALSE(ini.Save(PathOf(QStringLiteral("no/such/folder/x.ini"))));
}

} // namespace
