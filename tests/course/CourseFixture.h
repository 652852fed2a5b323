#pragma once

// An event database and a way to read back its control table.

#include "EventDatabaseFixture.h"
#include "EventRows.h"

#include "store/uData.h"

#include <gtest/gtest.h>

struct CourseFixture : EventDatabaseFixture
{

    // Each control row as "controlnr unitnumber points type pos_x pos_y text", in the order added.
    QStringList controls() const
    {
        QStringList rows;
        for (const Row &row : selectRows(*data, QStringLiteral("control"), {}, {QStringLiteral("id")}))
            rows.append(QStringList({row.value("controlnr").toString(), row.value("unitnumber").toString(), row.value("points").toString(),
                                     row.value("type").toString(), row.value("pos_x").toString(), row.value("pos_y").toString(),
                                     row.value("text").toString()})
                            .join(u' '));
        return rows;
    }
};
