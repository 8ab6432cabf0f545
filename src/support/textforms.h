#pragma once

// The number and text forms shared by every screen and file of the station.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace fw {

// The station's number text: at most 15 significant digits in the shortest form, no trailing
// zeros, no decimal point for whole numbers, no zero before the point below 1 (.5, -.25), and
// exponent form (1.5E-05, 1E+15) for magnitudes below 1E-04 or from 1E+15. A minus sign for a
// negative value, nothing in front of a positive one. Only finite values may be formatted.
QString numberText(double value);

// Leading-space form: a blank in front of a zero or positive number, the minus sign otherwise.
QString leadingSpace(double value);

// Print form of the line-oriented files: the leading-space form followed by one blank.
QString printForm(double value);

// Reads a whole field as a number in any form the writers produce (" 12.5 ", ".5", "-.25",
// "1.5E-05"); surrounding blanks are allowed. Empty, non-numeric or non-finite text gives none.
std::optional<double> parseNumber(QStringView text);

// Reads an entry field as a number the way the operator's fields are read everywhere: the
// leading number of the text (blanks skipped), otherwise 0. "12.5m" gives 12.5, "abc" gives 0.
double entryNumber(QStringView text);

// Integer part towards minus infinity.
double intPart(double value);

// Int(v * 10^decimals + 0.5) / 10^decimals: rounding half up used for every display.
double roundHalfUp(double value, int decimals);

// Lays items out in print zones of 14 characters: the first item at column 1, each following
// item at the start of the next zone after the end of the previous one.
QString printZones(const QStringList& items);

// mm-dd-yyyy and hh:mm:ss (24-hour clock).
QString dateText(const QDateTime& when);
QString timeText(const QDateTime& when);

// Month, day and two-digit year, two digits each: 120526 for 5 December 2026.
QString monthDayYear(const QDate& day);

// Every comma replaced by one blank ("Smith,John" gives "Smith John").
QString replaceCommas(QString text);

// A name made fit to be part of a file name: path separators, the characters some systems refuse
// in file names (: * ? " < > |) and control characters each become '_', so that a skier's name
// never sends a video or a picture into another folder.
QString fileNamePart(QString name);

} // namespace fw
