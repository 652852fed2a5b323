#pragma once

// A synthetic event: classes, controls with map positions, extra-point rules,
// teams of runners and their punches with the variety of a real race (teams
// together and apart, repeats, missing finishes, late teams, unknown codes).
// The same options give the same event. Used by the demo event, benchmarks
// and tests that need volume.

#include <QString>

class TdmData;

struct GeneratorOptions
{
    quint64 seed = 1;
    int teams = 60;
    int minRunners = 2;
    int maxRunners = 5;
    int controls = 40;       // scoring controls on the course
    int visits = 0;          // controls each team visits; 0: a share of the course by class
    int classes = 2;         // main classes, 1 to 6: R6 and R12 first, then R3, R8, R24, R4
    QString resultHeader;    // the report header the event names (ProgramFiles::newEventHeader); empty: the setting stays
};

struct GeneratedEvent
{
    int teams = 0;
    int runners = 0;
    int controls = 0;
    int punches = 0;
};

// Writes setup.ini, classlist.tree and the tables of an event that has no
// teams, controls or punches yet; raises KorventError otherwise (nothing is changed).
GeneratedEvent GenerateEvent(TdmData &data, const QString &eventDirectory, const GeneratorOptions &options);
