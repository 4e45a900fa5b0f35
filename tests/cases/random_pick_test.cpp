#include "cases/random_pick.h"

#include <map>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "base/errors.h"
#include "cases/cases_test_support.h"
#include "support/test_support.h"

namespace nimbrel {
namespace {

using test::HandRecord;

// Both "Any" boxes checked, "(all events)", the default years.
CaseFilter AllCases() {
    return CaseFilter{0, QStringLiteral("1979"), QStringLiteral("2009"), QStringLiteral("NST"),
                      QStringLiteral("DCFWOMUZH")};
}

CaseEntry Entry(const QString& day, const QString& codes, int ranking = 1) {
    CaseEntry e;
    e.CaseDate = day;
    e.Codes = codes;
    e.Ranking = ranking;
    e.Description = QStringLiteral("case ") + day;
    return e;
}

TEST(CaseFilterTest, EachLetterIsLookedForAnywhereInTheCodes) {
    const CaseEntry td = Entry("2003-05-04", "DT"); // letters in either order
    const QString events = "NST", regimes = "DCFWOMUZH";
    for (QChar event : events) {
        for (QChar regime : regimes) {
            CaseFilter f = AllCases();
            f.EventLetters = event;
            f.RegimeLetters = regime;
            EXPECT_EQ(PassesFilter(td, f), event == 'T' && regime == 'D')
                << QString(event).toStdString() << QString(regime).toStdString();
        }
    }
    // Lower case letters are not the codes' letters.
    EXPECT_FALSE(PassesFilter(Entry("2003-05-04", "td"), AllCases()));
    // A day with a regime but no event letter fails even with everything checked.
    EXPECT_FALSE(PassesFilter(Entry("2003-05-04", "DF"), AllCases()));
}

TEST(CaseFilterTest, SevereOnlyAfterUncheckingAnyEvent) {
    CaseFilter f = AllCases();
    f.EventLetters = "S";
    EXPECT_FALSE(PassesFilter(Entry("2003-05-04", "TD"), f));
    EXPECT_TRUE(PassesFilter(Entry("2003-05-04", "STD"), f));
    EXPECT_FALSE(PassesFilter(Entry("2003-05-04", "ND"), f));
}

TEST(CaseFilterTest, MinimumRanking) {
    CaseFilter f = AllCases();
    f.MinimumRanking = 3; // "Major"
    for (int ranking = -1; ranking <= 5; ++ranking)
        EXPECT_EQ(PassesFilter(Entry("2003-05-04", "TD", ranking), f), ranking >= 3) << ranking;
    // "(all events)" still wants a ranking that is not negative.
    EXPECT_TRUE(PassesFilter(Entry("2003-05-04", "TD", 0), AllCases()));
    EXPECT_FALSE(PassesFilter(Entry("2003-05-04", "TD", -1), AllCases()));
}

TEST(CaseFilterTest, YearRangeFromTheFieldsLeadingDigits) {
    const CaseEntry first = Entry("1979-04-10", "TD"), last = Entry("2009-06-05", "TD");
    CaseFilter f = AllCases();
    EXPECT_TRUE(PassesFilter(first, f)); // inclusive at both ends
    EXPECT_TRUE(PassesFilter(last, f));
    f.YearMin = "1980";
    EXPECT_FALSE(PassesFilter(first, f));
    f.YearMin = "2009";
    f.YearMax = "1979"; // reversed: nothing passes
    EXPECT_FALSE(PassesFilter(first, f));
    EXPECT_FALSE(PassesFilter(last, f));
    f.YearMin = " 1979 and on";
    f.YearMax = "19x9"; // reads as 19: every case is later
    EXPECT_FALSE(PassesFilter(first, f));
    f.YearMin = ""; // empty reads as 0
    f.YearMax = "2009";
    EXPECT_TRUE(PassesFilter(first, f));
    // A day whose year is not a number reads as year 0.
    EXPECT_TRUE(PassesFilter(Entry("abcd-04-10", "TD"), f));
    f.YearMin = "1";
    EXPECT_FALSE(PassesFilter(Entry("abcd-04-10", "TD"), f));
}

class RandomPickTest : public ::testing::Test {
protected:
    QString Path() const { return dir.filePath(QStringLiteral("nimbrel.cas")); }
    void Write(const QByteArray& bytes) { test::WriteFile(Path(), bytes); }
    QTemporaryDir dir;
};

TEST_F(RandomPickTest, EmptyCatalogueDrawsNothing) {
    Write(QByteArray());
    RandomGenerator rng;
    rng.Seed(77);
    EXPECT_EQ(RandomCasePick(Path(), AllCases(), rng), QString());
    EXPECT_EQ(rng.State(), 77u); // nothing drawn
}

TEST_F(RandomPickTest, NoPassingEntryDrawsNothing) {
    Write(HandRecord("1970-05-01", "TD", 1, "too early") +
          HandRecord("2003-05-04", "DF", 1, "no event"));
    RandomGenerator rng;
    rng.Seed(5);
    EXPECT_EQ(RandomCasePick(Path(), AllCases(), rng), QString());
    EXPECT_EQ(rng.State(), 5u);
}

TEST_F(RandomPickTest, OnePassingEntryIsAlwaysReturned) {
    Write(HandRecord("1970-05-01", "TD", 1, "too early") +
          HandRecord("2003-05-04", "TD", 2, "the one") +
          HandRecord("2010-05-01", "SD", 4, "too late"));
    RandomGenerator rng;
    for (std::uint32_t seed = 0; seed < 50; ++seed) {
        rng.Seed(seed * 7919u);
        EXPECT_EQ(RandomCasePick(Path(), AllCases(), rng), "2003-05-04 the one");
    }
}

TEST_F(RandomPickTest, ReturnsTheKthPassingEntryInFileOrder) {
    Write(HandRecord("1985-05-01", "SD", 1, "a") + HandRecord("1970-05-01", "TD", 1, "skipped") +
          HandRecord("1990-05-01", "TC", 1, "b") + HandRecord("1995-05-01", "NF", 1, "c"));
    const QStringList passing = {"1985-05-01 a", "1990-05-01 b", "1995-05-01 c"};
    RandomGenerator rng;
    for (std::uint32_t seed = 1; seed < 40; ++seed) {
        rng.Seed(seed);
        RandomGenerator replay = rng; // the same draw, made aside
        const int k = replay.Random(3) + 1;
        EXPECT_EQ(RandomCasePick(Path(), AllCases(), rng), passing[k - 1]) << seed;
        EXPECT_EQ(rng.State(), replay.State()); // exactly one draw
    }
}

TEST_F(RandomPickTest, DuplicatesAreCountedTwice) {
    Write(HandRecord("2003-05-04", "TD", 1, "twin") + HandRecord("1999-05-03", "TD", 1, "single") +
          HandRecord("2003-05-04", "TD", 1, "twin"));
    std::map<QString, int> counts;
    RandomGenerator rng;
    rng.Seed(12345);
    for (int i = 0; i < 600; ++i)
        ++counts[RandomCasePick(Path(), AllCases(), rng)];
    ASSERT_EQ(counts.size(), 2u);
    // Two of three candidates are the twin.
    EXPECT_GT(counts["2003-05-04 twin"], 340);
    EXPECT_LT(counts["2003-05-04 twin"], 460);
}

TEST_F(RandomPickTest, BrokenCatalogueThrows) {
    RandomGenerator rng;
    EXPECT_THROW(RandomCasePick(Path(), AllCases(), rng), FileNotFound);
    Write(HandRecord("2003-05-04", "TD", 1, "x") + QByteArray(10, 'x'));
    EXPECT_THROW(RandomCasePick(Path(), AllCases(), rng), DataError);
}

} // namespace
} // namespace nimbrel
