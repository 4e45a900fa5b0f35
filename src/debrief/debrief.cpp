#include "debrief/debrief.h"

#include <QFileInfo>

#include "base/records.h"

namespace nimbrel {

QString RevealMessage(DateTime caseStart) {
    return QStringLiteral("This case was for ") +
           FormatDateTime(QStringLiteral("dddd, mmmm d, yyyy"), caseStart) + QLatin1Char('.');
}

bool RevealCaseDate(SimClock& clock, Prompts& prompts, const std::function<void()>& updateDisplay) {
    if (!clock.DateHidden) return false;
    if (!prompts.Confirm(RevealQuestion)) return false;
    clock.DateHidden = false;
    if (updateDisplay) updateDisplay();
    prompts.Information(RevealMessage(clock.CaseStart));
    return true;
}

QStringList TextFileLines(const QByteArray& bytes) {
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0) end = bytes.size();
        qsizetype len = end - start;
        if (end < bytes.size() && len > 0 && bytes[end - 1] == '\r') --len;
        lines << QString::fromLatin1(bytes.constData() + start, len);
        start = next;
    }
    return lines;
}

QStringList SummaryLines(const QString& caseDirectory, DateTime caseStart) {
    const QString blank = QStringLiteral(" ");
    QStringList lines;
    lines << QStringLiteral("WEATHER SUMMARY")
          << FormatDateTime(QStringLiteral("dddd mmmm d, yyyy"), caseStart).toUpper() << blank;

    struct Part {
        const char* File;
        const char* Heading;
    };
    static const Part parts[] = {{"narr.txt", "WEATHER SUMMARY"},
                                 {"fcst.txt", "FORECAST DISCUSSION"}};
    bool found = false;
    for (const Part& part : parts) {
        const QString path = caseDirectory + QLatin1String(part.File);
        if (!QFileInfo::exists(path)) continue;
        found = true;
        lines << QString::fromLatin1(part.Heading);
        lines << TextFileLines(ReadWholeFile(path));
        lines << blank << blank;
    }
    if (!found) lines << QStringLiteral("No summary files found.");
    return lines;
}

} // namespace nimbrel
