#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// The number at the start of a text, read the way the program reads numbers
// everywhere: leading blanks skipped, then the digits up to the first other
// character; a text without digits reads as 0.
qint64 LeadingNumber(QStringView text);

// The same with an optional sign before the digits.
qint64 LeadingInteger(QStringView text);

// The part of s before the first c; empty when c does not occur.
QString TextBefore(QChar c, const QString &s);
// The part of s after the first c; the whole s when c does not occur.
QString TextAfter(QChar c, const QString &s);

// The text with every line break (CR, LF) a blank: a value written into a
// line of a list cannot end that line and start a record of its own.
QString OneLineText(QString text);

// The fields of s, numbered from 0. Each separator ends a field, stored even
// when empty; the text after the last separator counts only when not empty.
// A field at an index above maxIndex is an error (KorventError).
QStringList SplitFields(const QString &s, QChar separator, int maxIndex);
