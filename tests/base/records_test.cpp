#include <gtest/gtest.h>

#include <csignal>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "base/errors.h"
#include "base/records.h"
#include "support/test_support.h"

using namespace nimbrel;
using namespace nimbrel::test;

TEST(Records, FieldsAreLittleEndianAtTheirOffsets) {
    const std::uint8_t bytes[] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF,
                                  0,    0,    0,    0,    0,    0,    0xF0, 0x3F};
    RecordView v(bytes);
    EXPECT_EQ(v.Int16(0), 0x1234);
    EXPECT_EQ(v.Int32(2), 0x12345678);
    EXPECT_EQ(v.Int16(6), -2);
    EXPECT_DOUBLE_EQ(v.Double(8), 1.0);
    EXPECT_THROW(v.Int32(14), DataError);

    RecordBuilder b(16);
    b.Int16(0, 0x1234);
    b.Int32(2, 0x12345678);
    b.Int16(6, -2);
    b.Double(8, 1.0);
    EXPECT_EQ(b.Bytes(), QByteArray(reinterpret_cast<const char*>(bytes), 16));
}

TEST(Records, ShortStringsNeverReachPastTheirField) {
    // Length byte 200 in a field of capacity 4, followed by bytes of another field.
    const std::uint8_t bytes[] = {200, 'A', 'B', 'C', 'D', 'X', 'Y'};
    RecordView v(bytes);
    EXPECT_EQ(v.ShortString(0, 4), "ABCD");
    EXPECT_THROW(v.ShortString(3, 4), DataError); // field itself runs past the record

    RecordBuilder b(7);
    b.ShortString(0, 4, QStringLiteral("ABCDEFGH"));
    b.Int16(5, 0x5958);
    EXPECT_EQ(b.Bytes(), QByteArray("\x04"
                                    "ABCDXY",
                                    7));
    RecordBuilder e(3);
    e.ShortString(0, 2, QString());
    EXPECT_EQ(e.Bytes(), QByteArray(3, '\0'));
}

TEST(Records, FileReaderReportsMissingFilesAndRecordsCutShort) {
    QTemporaryDir dir;
    EXPECT_THROW(RecordFileReader(dir.filePath("none.dat"), 4), FileNotFound);
    try {
        RecordFileReader r(dir.filePath("none.dat"), 4);
    } catch (const FileError& e) {
        EXPECT_EQ(e.Message(), "File not found\n" + dir.filePath("none.dat"));
    }
    WriteFile(dir.filePath("two.dat"), QByteArray("\x01\0\0\0\x02\0\0\0\x03\0", 10));
    RecordFileReader r(dir.filePath("two.dat"), 4);
    ASSERT_TRUE(r.Next());
    EXPECT_EQ(r.Current().Int32(0), 1);
    ASSERT_TRUE(r.Next());
    EXPECT_EQ(r.Current().Int32(0), 2);
    EXPECT_THROW(r.Next(), DataError);

    WriteFile(dir.filePath("empty.dat"), QByteArray());
    RecordFileReader e(dir.filePath("empty.dat"), 4);
    EXPECT_FALSE(e.Next());
}

TEST(Records, AWriterThatNeverClosesLeavesTheOldFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("old.dat");
    WriteFile(path, QByteArray("\x01\0\0\0\x02\0\0\0", 8));
    {
        RecordFileWriter w(path, 4);
        w.Append(QByteArray("\x03\0\0\0", 4));
    } // as when a failure or a kill stops the writing part-way
    EXPECT_EQ(ReadFile(path), QByteArray("\x01\0\0\0\x02\0\0\0", 8));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.dat"});
}

TEST(Records, WholeFileCopyReplacesTheTarget) {
    QTemporaryDir dir;
    WriteFile(dir.filePath("a"), QByteArray("new contents"));
    WriteFile(dir.filePath("b"), QByteArray("older and longer contents"));
    CopyWholeFile(dir.filePath("a"), dir.filePath("b"), 100);
    EXPECT_EQ(ReadFile(dir.filePath("b")), QByteArray("new contents"));
    EXPECT_THROW(CopyWholeFile(dir.filePath("missing"), dir.filePath("b"), 100), FileNotFound);
    EXPECT_THROW(CopyWholeFile(dir.filePath("a"), dir.filePath("b"), 5), DataError);
    EXPECT_EQ(ReadFile(dir.filePath("b")), QByteArray("new contents"));
}

TEST(Records, ARemadeFileReplacesTheTargetOrFailsLeavingNothingBehind) {
    QTemporaryDir dir;
    const QString path = dir.filePath("rpt.dat");
    WriteFile(path, QByteArray("older and longer contents"));
    chmod(QFile::encodeName(path).constData(), 0640);
    WriteRemadeFile(path, QByteArray("new contents"));
    EXPECT_EQ(ReadFile(path), QByteArray("new contents"));
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u); // an existing file keeps its permissions

    // A link at the target is replaced by the file; what it led to is left alone.
    const QString elsewhere = dir.filePath("elsewhere.dat");
    WriteFile(elsewhere, QByteArray("not ours"));
    const QString linked = dir.filePath("linked.dat");
    ASSERT_TRUE(QFile::link(elsewhere, linked));
    WriteRemadeFile(linked, QByteArray("ours"));
    EXPECT_FALSE(QFileInfo(linked).isSymLink());
    EXPECT_EQ(ReadFile(linked), QByteArray("ours"));
    EXPECT_EQ(ReadFile(elsewhere), QByteArray("not ours"));

    // A folder where the file should be: an error, and no temporary file stays.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.dat"));
    EXPECT_THROW(WriteRemadeFile(dir.filePath("folder.dat"), QByteArray("x")), FileError);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({"elsewhere.dat", "linked.dat", "rpt.dat"}));
}

TEST(Records, ReadersOpenOnlyRegularFilesOfABoundedSize) {
    // A pipe would block the reader for ever, /dev/zero never ends, and a sparse file
    // costs nothing on disc while claiming a gigabyte: each is refused before reading.
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString zero = dir.filePath("zero.txt");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString sparse = dir.filePath("sparse.dat");
    {
        QFile f(sparse);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(1) << 30));
    }
    for (const QString& path : {fifo, zero, dir.path()}) {
        try {
            ReadWholeFile(path);
            ADD_FAILURE() << path.toStdString() << " was read";
        } catch (const FileError& e) {
            EXPECT_TRUE(e.Message().contains(path)) << e.what();
            EXPECT_TRUE(e.Message().contains("not an ordinary file")) << e.what();
        }
        EXPECT_THROW(RecordFileReader(path, 64), FileError);
    }
    try {
        ReadWholeFile(sparse);
        ADD_FAILURE() << "the sparse file was read";
    } catch (const FileError& e) {
        EXPECT_TRUE(e.Message().contains(sparse)) << e.what();
        EXPECT_TRUE(e.Message().contains("1073741824 bytes")) << e.what();
    }
    // Records: the cap counts records, so a file one record over it is refused whole.
    {
        QFile f(sparse);
        ASSERT_TRUE(f.resize(qint64(MaxRecordsPerFile + 1) * 64));
    }
    EXPECT_THROW(RecordFileReader(sparse, 64), DataError);
    {
        QFile f(sparse);
        ASSERT_TRUE(f.resize(qint64(MaxRecordsPerFile) * 64));
    }
    EXPECT_NO_THROW(RecordFileReader(sparse, 64));
}

namespace {

// Writes past `bytes` fail with "File too large" while it lives, as a full disk does:
// the first write is cut short, the next refused.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

QStringList AllFiles(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

TEST(Records, AWriteThatMissesTheDiskLeavesEveryOldFileAndSaysWhy) {
    QTemporaryDir dir;
    const QString small = dir.filePath("score.csv"), big = dir.filePath("score.png");
    WriteFile(small, QByteArray("old csv"));
    WriteFile(big, QByteArray("old png"));
    const QByteArray bigBytes(14144, 'n'); // under the 16 KB a buffered writer holds back
    {
        FileSizeLimit limit(8192);
        for (int round = 0; round < 2; ++round) {
            try {
                if (round == 0)
                    WriteWholeFile(big, bigBytes);
                else // the pair: the small file must not be replaced when the big one fails
                    WriteWholeFiles({{small, QByteArray("new csv")}, {big, bigBytes}});
                ADD_FAILURE() << "a write past the limit reported success";
            } catch (const FileError& e) {
                EXPECT_EQ(e.Message(), "Cannot write \"" + big + "\": File too large");
            }
        }
    }
    EXPECT_EQ(ReadFile(small), QByteArray("old csv"));
    EXPECT_EQ(ReadFile(big), QByteArray("old png"));
    EXPECT_EQ(AllFiles(dir.path()), QStringList({"score.csv", "score.png"}));

    // A read-only file of the pair is refused before the other is touched.
    ASSERT_TRUE(QFile::setPermissions(big, QFileDevice::ReadOwner));
    EXPECT_THROW(WriteWholeFiles({{small, QByteArray("new csv")}, {big, "new png"}}), FileError);
    EXPECT_EQ(ReadFile(small), QByteArray("old csv"));

    // A real full disk, where a small file system can be mounted.
    const QString mounted = dir.filePath("full");
    ASSERT_TRUE(QDir(dir.path()).mkdir("full"));
    if (mount("tmpfs", QFile::encodeName(mounted).constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here: the full-disk case was not run";
    struct Unmount {
        QByteArray Path;
        ~Unmount() { umount2(Path.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(mounted)};
    const QString rpt = mounted + "/rpt.dat";
    WriteFile(rpt, QByteArray(128 * 64, 'r'));
    WriteFile(mounted + "/filler", QByteArray(48 * 1024, 'f')); // leaves 8 KB
    try {
        WriteWholeFile(rpt, QByteArray(221 * 64, 'R'));
        ADD_FAILURE() << "a write on a full disk reported success";
    } catch (const FileError& e) {
        EXPECT_EQ(e.Message(), "Disk full while writing \"" + rpt + "\"");
    }
    EXPECT_EQ(ReadFile(rpt), QByteArray(128 * 64, 'r'));
    EXPECT_EQ(AllFiles(mounted), QStringList({"filler", "rpt.dat"}));
}

TEST(Records, StaleTemporariesOfTheWriterAreRemovedFreshOnesAndOthersStay) {
    QTemporaryDir dir;
    const QDateTime old = QDateTime::currentDateTimeUtc().addSecs(-3600);
    auto make = [&](const QString& name, bool stale) {
        WriteFile(dir.filePath(name), QByteArray("x"));
        if (!stale) return;
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    };
    make(".rpt.dat.nimbrel-Ab12cd", true);  // a kill during an hourly advance
    make(".rpt.dat.nimbrel-Zz99zz", false); // another writer at work now
    make("rpt.dat", false);
    make(".rpt.dat.X1y2Z3", true); // an earlier version's name
    make("loop.gif.Q1w2E3", true); // earlier versions' names for the target written next
    make(".loop.gif.a8Bc7d", true);
    make("loop.gif.backup", true); // a person's own copy
    make("notes.txt.Q1w2E3", true);
    WriteWholeFile(dir.filePath("loop.gif"), QByteArray("gif"));
    const QStringList others = {"loop.gif", "loop.gif.backup", "notes.txt.Q1w2E3", "rpt.dat"};
    EXPECT_EQ(AllFiles(dir.path()), QStringList({".rpt.dat.X1y2Z3", ".rpt.dat.nimbrel-Ab12cd",
                                                 ".rpt.dat.nimbrel-Zz99zz"}) +
                                        others);
    // At start: every stale temporary of the folder.
    EXPECT_EQ(RemoveStaleTemporaries(dir.path()),
              QStringList({".rpt.dat.X1y2Z3", ".rpt.dat.nimbrel-Ab12cd"}));
    EXPECT_EQ(AllFiles(dir.path()), QStringList{".rpt.dat.nimbrel-Zz99zz"} + others);
}

TEST(Records, AShippedFileMissingFromThePerUserFolderIsReadWhereItWasInstalled) {
    QTemporaryDir dir;
    const QString perUser = dir.filePath("user/"), installed = dir.filePath("installed/");
    WriteFile(installed + "nimbrel.pr1", "shipped");
    WriteFile(perUser + "nimbrel.gis", "own copy");
    WriteFile(installed + "nimbrel.gis", "shipped");
    SetShippedCopies(perUser, installed);
    EXPECT_EQ(ReadWholeFile(perUser + "nimbrel.pr1"), "shipped"); // the copy ran out of room
    EXPECT_EQ(ReadWholeFile(perUser + "nimbrel.gis"), "own copy");
    EXPECT_THROW(ReadWholeFile(perUser + "nimbrel.cgf"), FileNotFound);
    SetShippedCopies({}, {});
    EXPECT_THROW(ReadWholeFile(perUser + "nimbrel.pr1"), FileNotFound);
}
