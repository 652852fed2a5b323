#include "reports/RouteMapEncoder.h"

#include "base/GifWriter.h"
#include "base/KorventError.h"
#include "base/Platform.h"

#include <QBuffer>

namespace {

// Pictures waiting for a core: enough to keep every core busy, few enough
// that a large event does not hold all its pictures in memory.
int waitingPictures(const QThreadPool &pool)
{
    return 2 * pool.maxThreadCount();
}

} // namespace

RouteMapEncoder::RouteMapEncoder(ReportOutput &output)
    : m_output(output)
{
    m_pool.setMaxThreadCount(qMax(1, QThread::idealThreadCount()));
    m_room.release(waitingPictures(m_pool));
}

RouteMapEncoder::~RouteMapEncoder()
{
    m_pool.waitForDone();
}

void RouteMapEncoder::add(const ReportFile &file, const QImage &picture)
{
    m_room.acquire();
    m_encoded.push_back(std::make_unique<Encoded>(Encoded{file, {}, {}}));
    Encoded *encoded = m_encoded.back().get();
    m_pool.start([this, encoded, picture] {
        // Encoding takes every core for the whole report: readouts arriving meanwhile go first.
        Platform::lowerThreadPriority();
        QBuffer buffer(&encoded->bytes);
        buffer.open(QIODevice::WriteOnly);
        try {
            WriteGif(picture, buffer);
        } catch (const KorventError &error) {
            encoded->error = error.message();
        }
        m_room.release();
    });
}

void RouteMapEncoder::finish()
{
    m_pool.waitForDone();
    std::vector<std::unique_ptr<Encoded>> encoded;
    encoded.swap(m_encoded);
    for (const auto &picture : encoded) {
        if (!picture->error.isEmpty())
            throw KorventError(picture->error);
        m_output.write(picture->file, picture->bytes);
    }
}
