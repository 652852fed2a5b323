#pragma once

// The JSON documents of the live results: GET /api/results (every main
// class with its teams in result order) and GET /api/team/N (one team with
// its runners and punches). Texts are as the result pages show them; times of
// day are ISO 8601 local times, durations "h:mm:ss" as on the pages.

#include "scoring/TeamPunchList.h"
#include "store/DateTime.h"
#include "store/TeamRow.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

class CourseDefinition;

struct LiveClassTeams
{
    QString name;               // the main class
    std::vector<TeamRow> teams; // in result order (ClassResultTeams)
};

struct LiveRunner
{
    QString firstname, lastname, sex, country;
    std::optional<SerialDateTime> finish; // the runner's finish punch, once read out
    bool started = false;
};

// A team's fields as both documents give them; `place` none for a team
// without a result. A team not calculated yet has its status and no figures.
QJsonObject TeamJson(const TeamRow &team, std::optional<int> place);

QByteArray ResultsJson(const QString &eventName, quint64 version, const std::vector<LiveClassTeams> &classes);

// The team's "runners" and "punches"; list: its punch list, nullptr when it has none.
QJsonObject TeamDetailsJson(const std::vector<LiveRunner> &runners, const tResArray *list, const CourseDefinition &course);

// GET /api/team/N: the team's fields and its details.
QByteArray TeamJsonDocument(const QJsonObject &team, const QJsonObject &details);

// GET /api/team/N of a number several teams share, answered 409: which team
// is meant cannot be told, so none has details. "error" says so naming the
// teams, "teams" holds each listed team's fields (TeamJson).
QByteArray SharedNumberJson(qint64 number, const QString &error, const QJsonArray &teams);
