// Date texts and patterns: any text converts or throws ConvertError; formatting any
// pattern over any finite time terminates.
#include <cmath>
#include <cstring>

#include "base/datetime.h"
#include "base/errors.h"
#include "base/mask.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const DateTime t = StrToDateTime(text);
        (void)FormatDateTime(QStringLiteral("ddd dd mmm yyyy hh:nn"), t);
    } catch (const ConvertError&) {
    }
    if (size >= 8) {
        double t;
        std::memcpy(&t, data, 8);
        if (std::isfinite(t) && std::fabs(t) < 2.9e6) (void)FormatDateTime(text.mid(4), t);
    }
    const qsizetype half = text.size() / 2;
    (void)MatchesMask(text.left(half), text.mid(half));
    return 0;
}
