#include "FullDisk.h"
#include "TestFolder.h"

#include "base/KorventError.h"
#include "base/LockFileTurn.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace {

// The message of the error the call raises; none when it raises nothing.
std::optional<QString> errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const KorventError &error) {
        return error.message();
    }
    return std::nullopt;
}

} // namespace

TEST(LockFileTurn, SaysWhyThereIsNoTurn)
{
    QTemporaryDir dir;
    const QString folder = folderOf(dir);
    writeFile(folder + QStringLiteral("plain"), "not a folder");
    const LockFileTurn held(folder + QStringLiteral("held.lock"), 0, QStringLiteral("first"));

    const struct { const char *name; QString lockFile; bool fullDisk; const char *reason; } cases[] = {
        {"held by another", folder + QStringLiteral("held.lock"), false, "another program kept it locked for 0 seconds"},
        {"missing folder", folder + QStringLiteral("gone/x.lock"), false, "No such file or directory"},
        {"folder that is a file", folder + QStringLiteral("plain/x.lock"), false, "Not a directory"},
        {"full disk", folder + QStringLiteral("x.lock"), true, "File too large"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<QString> message;
        if (c.fullDisk) {
            const auto restore = filesCannotGrow();
            message = errorOf([&] { LockFileTurn(c.lockFile, 100, QStringLiteral("Cannot change it")); });
        } else {
            message = errorOf([&] { LockFileTurn(c.lockFile, 100, QStringLiteral("Cannot change it")); });
        }
        ASSERT_TRUE(message);
        EXPECT_TRUE(message->startsWith(QLatin1String("Cannot change it: "))) << message->toStdString();
        EXPECT_TRUE(message->contains(QLatin1String(c.reason))) << message->toStdString();
        EXPECT_EQ(message->contains(QLatin1String("another program")), c.lockFile.endsWith(QLatin1String("held.lock")))
            << message->toStdString();
        EXPECT_FALSE(QFile::exists(folder + QStringLiteral("x.lock")));
    }
    // The turn is there once the disk has room again.
    EXPECT_FALSE(errorOf([&] { LockFileTurn(folder + QStringLiteral("x.lock"), 100, QStringLiteral("Cannot change it")); }));
}
