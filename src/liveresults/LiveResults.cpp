#include "liveresults/LiveResults.h"

#include "liveresults/LiveCalculation.h"
#include "liveresults/LivePublisher.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "readout/ReadoutServer.h"

#include <QCoreApplication>
#include <QUrl>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(LiveResults)
};

} // namespace

LiveResults::LiveResults(const EventLocation &location, const SharedEventSetup &setup, std::function<void(const QString &)> log, LiveHttpLimits limits)
    : m_location(location)
    , m_setup(setup)
    , m_log(std::move(log))
    , m_http(m_site, limits)
{
}

LiveResults::~LiveResults()
{
    if (m_followed)
        m_followed->setReadoutFollower({});
    m_http.stop();
    // The calculation tells the publisher: it ends first.
    m_calculation.reset();
    m_publisher.reset();
}

QHostAddress LiveResults::bindAddress(const QString &text)
{
    const QHostAddress address(text);
    if (address.isNull())
        throw KorventError(Texts::tr("\"%1\" is not an IP address to serve the live results on").arg(text));
    return address;
}

void LiveResults::start(const QHostAddress &address, quint16 port)
{
    m_http.start(address, port);
    m_address = address;
    m_publisher = std::make_unique<LivePublisher>(m_location, m_setup, m_site, [this](const QString &problem) {
        if (m_log)
            m_log(problem);
    });
    m_publisher->start();
}

void LiveResults::follow(ReadoutServer &server)
{
    if (!m_calculation) {
        LivePublisher *publisher = m_publisher.get();
        m_calculation = std::make_unique<LiveCalculation>(
            m_location.eventDirectory, m_setup,
            [publisher](const QList<qint64> &teams) {
                if (publisher)
                    publisher->teamsChanged(teams);
            },
            [this](const QString &message) {
                if (m_log)
                    m_log(message);
            });
    }
    LiveCalculation *calculation = m_calculation.get();
    server.setReadoutFollower([calculation](qint64 teamId) { calculation->follow(teamId); });
    m_followed = &server;
}

QStringList LiveResults::urls() const
{
    const bool everywhere = m_address == QHostAddress(QHostAddress::AnyIPv4) || m_address == QHostAddress(QHostAddress::AnyIPv6)
        || m_address == QHostAddress(QHostAddress::Any);
    QStringList urls;
    for (const QString &host : everywhere ? Platform::localAddresses() : QStringList{m_address.toString()}) {
        // An IPv6 address goes in brackets.
        QUrl url;
        url.setScheme(QStringLiteral("http"));
        url.setHost(host);
        url.setPort(port());
        url.setPath(QStringLiteral("/"));
        urls.append(url.toString());
    }
    return urls;
}

QString LiveResults::problem() const
{
    return m_publisher ? m_publisher->problem() : QString();
}
