// Replays every kept fuzz input through its reader. A reader that crashes, reads out of
// bounds or breaks the target's own checks (which trap) brings this program down.
#include <cstdint>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "fuzz_support.h"

#define NIMBREL_REPLAY(reader)                                                                     \
    extern "C" int NimbrelReplay_##reader(const std::uint8_t* data, std::size_t size);
#include "replay_table.inc"
#undef NIMBREL_REPLAY

namespace nimbrel {
namespace {

using Entry = int (*)(const std::uint8_t*, std::size_t);

struct Reader {
    const char* Name;
    Entry Run;
};

#define NIMBREL_REPLAY(reader) Reader{#reader, &NimbrelReplay_##reader},
const Reader Readers[] = {
#include "replay_table.inc"
};
#undef NIMBREL_REPLAY

class FuzzReplay : public ::testing::TestWithParam<Reader> {};

TEST_P(FuzzReplay, EveryKeptInputIsHandled) {
    const Reader& r = GetParam();
    const QDir dir(QStringLiteral(NIMBREL_FUZZ_CORPUS "/") + QString::fromLatin1(r.Name));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    // Every reader keeps at least one real file as its seed.
    ASSERT_FALSE(files.isEmpty()) << dir.path().toStdString();
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(r.Run(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                        static_cast<std::size_t>(bytes.size())),
                  0);
    }
    // The empty input is the first one any reader meets on a damaged disc.
    EXPECT_EQ(r.Run(reinterpret_cast<const std::uint8_t*>(""), 0), 0);
    QDir(fuzz::TempPath("")).removeRecursively();
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzReplay, ::testing::ValuesIn(Readers),
                         [](const ::testing::TestParamInfo<Reader>& info) {
                             return std::string(info.param.Name);
                         });

} // namespace
} // namespace nimbrel
