#pragma once
// Helpers shared by the test programs.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "base/prompts.h"

namespace nimbrel::test {

/// The folder of real public data beside the repository, or "" when it is absent
/// (tests that need it skip).
QString SharedDataDir();
/// The project's own test data (tests/data/).
QString TestDataDir();
/// The data the project ships (data/).
QString ShippedDataDir();

void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

/// Prompts that record what would have been shown; Confirm answers `ConfirmAnswer`.
class RecordingPrompts : public Prompts {
public:
    void Information(const QString& text) override { Shown << QStringLiteral("I:") + text; }
    void Warning(const QString& text) override { Shown << QStringLiteral("W:") + text; }
    bool Confirm(const QString& text) override {
        Shown << QStringLiteral("C:") + text;
        return ConfirmAnswer;
    }
    void ProcessEvents() override { ++EventCalls; }
    QStringList Shown;
    bool ConfirmAnswer = true;
    int EventCalls = 0;
};

} // namespace nimbrel::test

#include <ostream>
// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << "{";
    for (const QString& s : l)
        *os << '"' << s.toStdString() << "\" ";
    *os << "}";
}
