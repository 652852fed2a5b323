#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

// Sets the process's time zone for one test and restores it after.
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
    TimeZoneScope(const TimeZoneScope &) = delete;
    TimeZoneScope &operator=(const TimeZoneScope &) = delete;

private:
    QByteArray m_old;
    bool m_had;
};
