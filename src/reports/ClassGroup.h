#pragma once

// A class as the result pages group it: the class with its sub-classes from
// the class tree (each knowing the chain of sub-classes it lies in) and the
// extra sub-classes every class gets, with the places counted in each.

#include "store/ClassTable.h"

#include <QString>
#include <QStringList>
#include <vector>

inline constexpr int MaxSubClasses = 45;

struct tsubPlace
{
    QString name;
    int place = 0;  // ranked teams counted so far
    QString path;   // "||A|B|" for B below A; "|X|" for an extra sub-class
};

struct ClassGroup
{
    QString className;
    std::vector<tsubPlace> subClasses;
    QStringList sqlClasses; // the tree sub-classes in tree order, then the class: the team classes listed
};

// The main classes of the tree, in tree order: what the chooser offers.
QStringList MainClassNames(const ClassTree &tree);

// The class's group: the nodes below the first node named className, then
// the ";"-separated extraSubClasses (empty ones left out). Raises KorventError when the class has
// more than MaxSubClasses sub-classes or a sub-class name holds "|".
ClassGroup BuildClassGroup(const ClassTree &tree, const QString &className, const QString &extraSubClasses);

// Counts a ranked team in every sub-class whose "|name|" lies in `path` and
// returns its places there (1 to 3 as medals, which also go to medalList as
// "name;I|", "name;II|", "name;III|").
QString SubClassPlaces(ClassGroup &group, const QString &path, QString &medalList);
