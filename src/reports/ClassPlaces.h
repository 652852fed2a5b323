#pragma once

// The places of a class's teams, taken in result order (best result, then
// shortest time): teams tied on both share a place and the next place skips;
// a team without a result (a negative one, its status, or none calculated
// yet) has no place.

#include "store/TeamRow.h"

#include <QString>
#include <optional>

class ClassPlaces
{
public:
    // The team's place; none for a team without a result.
    std::optional<int> next(const TeamRow &team)
    {
        if (team.result < 0 || !team.calculated)
            return std::nullopt;
        ++m_ranked;
        if (team.result != m_previousResult || team.rtime != m_previousTime)
            m_place = m_ranked;
        m_previousResult = team.result;
        m_previousTime = team.rtime;
        return m_place;
    }

private:
    int m_ranked = 0;
    int m_place = 0;
    qint64 m_previousResult = -100;
    qint64 m_previousTime = 0;
};
