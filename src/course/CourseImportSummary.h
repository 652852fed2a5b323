#pragma once

// What a course data import added, in lines for the operator: the setup
// window shows them and `korvent-cli controls import` prints them.

#include <QStringList>

struct CourseData;

QStringList CourseImportSummary(const CourseData &course);
