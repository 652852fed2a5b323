#include "base/Platform.h"

#include <QTimeZone>
#include <gtest/gtest.h>
#include <ctime>

namespace {

// Sets the process's time zone for one test.
class TimeZoneScope
{
public:
    explicit TimeZoneScope(const QByteArray &zone)
        : m_old(qgetenv("TZ"))
        , m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneScope()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_old;
    bool m_had;
};

} // namespace

TEST(Platform, StandardOffsetLeavesDaylightSavingOut)
{
    const std::pair<const char *, int> cases[] = {
        {"UTC", 0}, {"Europe/Tallinn", 7200}, {"America/St_Johns", -12600}, {"Asia/Kathmandu", 20700},
    };
    for (const auto &[zone, offset] : cases) {
        if (!QTimeZone(zone).isValid())
            continue;
        TimeZoneScope scope(zone);
        EXPECT_EQ(Platform::standardUtcOffsetSeconds(), offset) << zone;
    }
}
