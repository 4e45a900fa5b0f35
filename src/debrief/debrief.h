#pragma once
// The end of an exercise: revealing the case day and reading its written summary and
// forecast discussion.
#include <functional>

#include <QString>
#include <QStringList>

#include "base/datetime.h"
#include "base/prompts.h"
#include "sim/clock.h"

namespace nimbrel {

inline const QString RevealQuestion = QStringLiteral(
    "This will reveal the exercise date and score the exercise. Did you want to do this?");

/// "This case was for Tuesday, April 10, 1979." for a case day of 10 April 1979.
QString RevealMessage(DateTime caseStart);

/// The reveal: nothing while the date is shown or when the trainee does not confirm;
/// otherwise the date is shown, `updateDisplay` refreshes the labels, and the case day
/// is named. Returns true when the date was revealed.
bool RevealCaseDate(SimClock& clock, Prompts& prompts, const std::function<void()>& updateDisplay);

/// The lines of a text file whose lines end in CR LF or in LF alone; a last line
/// without an ending counts, an ending at the very end adds no empty line.
QStringList TextFileLines(const QByteArray& bytes);

/// The information window's lines: the heading, the case day in capitals and a blank
/// line, then "narr.txt" and "fcst.txt" of `caseDirectory` each under its heading and
/// followed by two blank lines, or "No summary files found." when neither exists.
/// Blank lines hold one space. A file that exists but cannot be read throws FileError.
QStringList SummaryLines(const QString& caseDirectory, DateTime caseStart);

} // namespace nimbrel
