#pragma once

// Route maps are encoded as GIF files on every core while the pages are
// built: encoding a picture takes longer than drawing it and the team's page.

#include "output/ReportOutput.h"

#include <QImage>
#include <QSemaphore>
#include <QThreadPool>
#include <memory>
#include <vector>

class RouteMapEncoder
{
public:
    explicit RouteMapEncoder(ReportOutput &output);
    // Waits for the pictures still being encoded; writes nothing.
    ~RouteMapEncoder();
    RouteMapEncoder(const RouteMapEncoder &) = delete;
    RouteMapEncoder &operator=(const RouteMapEncoder &) = delete;

    // Starts encoding; waits while a few pictures are already waiting.
    void add(const ReportFile &file, const QImage &picture);
    // Waits for every picture and writes the files in the order they were
    // added. Raises KorventError for the first picture that could not be encoded.
    void finish();

private:
    struct Encoded
    {
        ReportFile file;
        QByteArray bytes;
        QString error;
    };

    ReportOutput &m_output;
    QThreadPool m_pool;
    QSemaphore m_room;
    std::vector<std::unique_ptr<Encoded>> m_encoded;
};
