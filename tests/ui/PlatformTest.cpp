// The platform layer: colours, dialog units, the profile store, posted events, icons and the
// taskbar progress.

#include "QtPrinters.h"
#include "platform/DialogUnits.h"
#include "platform/PostedEvents.h"
#include "platform/ProfileStore.h"
#include "platform/TaskbarProgress.h"
#include "platform/WinColor.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

TEST(Platform, WindowsColourValuesAreBlueGreenRed)
{
    EXPECT_EQ(FromWinColor(0xFCF5F3), QColor(0xF3, 0xF5, 0xFC));
    EXPECT_EQ(FromWinColor(0xFF0000), QColor(Qt::blue));
    EXPECT_EQ(FromWinColor(0x0000FF), QColor(Qt::red));
}

TEST(Platform, DialogUnitsFollowTheFont)
{
    QFont small;
    small.setPixelSize(10);
    QFont large = small;
    large.setPixelSize(20);
    const DialogUnits s(small), l(large);
    EXPECT_GT(s.BaseX(), 0);
    EXPECT_EQ(s.Y(8), s.BaseY()); // eight vertical units are one line
    EXPECT_GT(l.X(100), s.X(100) * 3 / 2);
    EXPECT_GT(l.Y(100), s.Y(100) * 3 / 2);
}

TEST(Platform, ProfileKeepsBinaryValuesByteForByte)
{
    ProfileStore profile;
    QByteArray record(44, '\0');
    for (int i = 0; i < record.size(); ++i)
        record[i] = char(i * 37 + 200); // every kind of byte, NUL and high bytes among them
    ASSERT_TRUE(profile.WriteBinary(QStringLiteral("Position"), QStringLiteral("{TEST}"), record));
    EXPECT_EQ(profile.ReadBinary(QStringLiteral("Position"), QStringLiteral("{TEST}")), record);
    EXPECT_FALSE(profile.ReadBinary(QStringLiteral("Position"), QStringLiteral("{ABSENT}")).has_value());

    // The empty-named entry is kept under its own key, not in another section.
    ASSERT_TRUE(profile.WriteInt(QStringLiteral("Position"), QString(), 3));
    EXPECT_EQ(profile.ReadInt(QStringLiteral("Position"), QString()), 3);
    QSettings raw(QStringLiteral("Tessaloom Corporation"),
                  QFileInfo(QCoreApplication::applicationFilePath()).baseName());
    EXPECT_EQ(raw.value(QStringLiteral("Position/PlacementKind")).toInt(), 3);
}

TEST(Platform, PostedEventsOwnTheirPayload)
{
    struct Receiver : QObject {
        QString received;
        bool event(QEvent* e) override
        {
            if (e->type() != QvEvent::ConvLog)
                return QObject::event(e);
            received = static_cast<PostedEvent<QString>*>(e)->payload();
            return true;
        }
    };
    auto* receiver = new Receiver;
    QCoreApplication::postEvent(receiver, new PostedEvent<QString>(QvEvent::ConvLog, QStringLiteral("line")));
    QCoreApplication::sendPostedEvents(receiver);
    EXPECT_EQ(receiver->received, QStringLiteral("line"));
    // An event still pending when its receiver goes is freed with it (the sanitizer build checks).
    QCoreApplication::postEvent(receiver, new PostedEvent<QString>(QvEvent::ConvLog, QStringLiteral("late")));
    delete receiver;
}

TEST(Platform, ThemeIconsAreFound)
{
    EXPECT_FALSE(QIcon::themeName().isEmpty());
    EXPECT_FALSE(QIcon::fromTheme(QStringLiteral("audio-x-generic")).isNull());
    EXPECT_FALSE(QIcon::fromTheme(QStringLiteral("folder")).isNull());
}

TEST(Platform, TaskbarProgressWithoutASessionBus)
{
    TaskbarProgress taskbar;
    taskbar.SetState(TaskbarProgress::Paused);
    taskbar.SetValue(42, 100);
    EXPECT_EQ(taskbar.CurrentState(), TaskbarProgress::Paused);
    EXPECT_DOUBLE_EQ(taskbar.CurrentFraction(), 0.42);
    taskbar.SetValue(5, 0); // no total: no NaN
    EXPECT_DOUBLE_EQ(taskbar.CurrentFraction(), 0.0);
}

} // namespace
