#pragma once

// Classes live in a tree: a main class is a top-level node
// "H12<*>(12:00:00|012:00:00|00:30:00)" (name, start, maximum and penalty
// time); nodes below it are sub-classes with just a name and their main
// class's times. The ClassTable is that tree flattened in tree order.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

inline constexpr int ClassPathLevels = 46;

struct ClassNode
{
    QString text;
    int depth = 0; // 0 for a top-level node
    bool operator==(const ClassNode &) const = default;
};
using ClassTree = std::vector<ClassNode>; // tree order: a parent before its children

using TSubList = std::array<QString, ClassPathLevels>;

struct TClassInfo
{
    QString name;
    qint64 start = 0;        // hundredths after midnight of the event day
    qint64 maximumTime = 0;  // hundredths
    qint64 penaltyTime = 0;  // hundredths of lateness allowed before LATE
    TSubList path;           // names from the top-level class down to this one
};
using ClassTable = std::vector<TClassInfo>;

// A main class's times as typed: "12:00:00", "012:00:00", "00:30:00".
struct MainClassTimes
{
    QString start;
    QString maximumTime;
    QString penaltyTime;

    bool operator==(const MainClassTimes &) const = default;
};

// A node's text taken apart: the class name and, for a main class whose
// times split into three, its times.
struct ClassNodeParts
{
    QString name;
    std::optional<MainClassTimes> times;
};

bool IsMainClassNode(const QString &nodeText);
QString MainClassNodeText(const QString &name, const QString &start, const QString &maximumTime, const QString &penaltyTime);
QString MainClassNodeText(const QString &name, const MainClassTimes &times);
ClassNodeParts ParseClassNodeText(const QString &nodeText);

// Why the text cannot be a class name in the tree (empty when it can): the
// node text keeps a main class's times after "<*>(" and the file a node a
// line, so "<", "*" and line or tab characters would make another class of it.
QString ClassNameProblem(const QString &name);
// Why the name cannot be given to a class in this tree (empty when it can):
// another node holds it already, and FindClass would find only the first.
QString DuplicateClassNameProblem(const ClassTree &tree, const QString &name);
// Why the times cannot be a main class's (empty when they can): hours,
// minutes and seconds, minutes and seconds below 60.
QString MainClassTimesProblem(const MainClassTimes &times);

// Orders nodes as the tree shows them: siblings sorted by text, each parent
// before its children.
bool ClassNodeTextLess(const QString &a, const QString &b);
ClassTree SortedClassTree(const ClassTree &tree);

// The edit that made `edited` of `shown`, carried over onto `stored`, the tree
// as another seat may have saved it since: the main classes (each with its
// sub-classes) the edit added, changed or removed are added, replaced or
// removed there; the rest stays as stored.
ClassTree MergedClassTree(const ClassTree &shown, const ClassTree &edited, const ClassTree &stored);

ClassTable LoadClassTable(const ClassTree &tree);
// The first entry with exactly this name.
std::optional<TClassInfo> FindClass(const ClassTable &table, const QString &name);

// classlist.tree: a line a node, its depth as leading TABs, program text encoding.
QString ClassTreeFileName(const QString &eventDirectory);
// A missing file is an empty tree. A node deeper than the path holds, or one
// more than a level below its parent, raises KorventError naming the line.
ClassTree ReadClassTreeFile(const QString &fileName);
void WriteClassTreeFile(const QString &fileName, const ClassTree &tree);
// The same lines as text, for a tree stored elsewhere; `origin` names it in messages.
ClassTree ClassTreeFromLines(const QStringList &lines, const QString &origin);
QStringList ClassTreeLines(const ClassTree &tree);
