#pragma once
// Headerless files of fixed-size little-endian records. A record is read whole into a
// byte buffer and its fields are taken at their offsets, so a malformed length byte or
// a short file can never read past the record.
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace nimbrel {

/// Size caps, checked before a file is read. No real file comes near them; they keep a
/// crafted file from filling memory or the disc.
inline constexpr qint64 MaxRecordsPerFile = 10000;
inline constexpr qint64 MaxTextFileBytes = 16LL * 1024 * 1024;
inline constexpr qint64 MaxSoundFileBytes = 16LL * 1024 * 1024;
inline constexpr qint64 MaxVectorFileBytes = 64LL * 1024 * 1024;

/// Field access on one record held in memory; every offset is checked against the size.
class RecordView {
public:
    explicit RecordView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::int16_t Int16(std::size_t offset) const;
    std::int32_t Int32(std::size_t offset) const;
    double Double(std::size_t offset) const;
    /// Length-prefixed text of the given capacity; a length byte above the capacity
    /// is taken as the capacity. Characters are Latin-1.
    QString ShortString(std::size_t offset, std::size_t capacity) const;

private:
    const std::uint8_t* At(std::size_t offset, std::size_t size) const;
    std::span<const std::uint8_t> bytes_;
};

/// Builds one record; bytes not written stay zero.
class RecordBuilder {
public:
    explicit RecordBuilder(std::size_t size) : bytes_(static_cast<qsizetype>(size), '\0') {}
    void Int16(std::size_t offset, std::int16_t value);
    void Int32(std::size_t offset, std::int32_t value);
    void Double(std::size_t offset, double value);
    /// Writes a length byte and at most `capacity` Latin-1 characters (longer text is cut).
    void ShortString(std::size_t offset, std::size_t capacity, const QString& text);
    const QByteArray& Bytes() const { return bytes_; }

private:
    char* At(std::size_t offset, std::size_t size);
    QByteArray bytes_;
};

/// Names the per-user folder and the installed folder its shipped files are copied from
/// at start (both ending in '/'; "" for none). A shipped file missing from the per-user
/// folder (a full disk stopped the copying) is then read from the installed folder.
void SetShippedCopies(const QString& perUserFolder, const QString& installedFolder);
/// `path`, or the installed copy of a per-user file that is missing, when there is one.
QString ReadablePath(const QString& path);

/// Opens `file` on `path` (or its installed copy: ReadablePath) for reading. Only a regular file
/// (links followed) of at most `maxBytes` is opened: FileNotFound when it is missing, FileError
/// naming the file when it is something else (a pipe would block for ever, a device never ends),
/// DataError naming the file and its size when it is larger. Every reader of outside files opens
/// through here.
void OpenForReading(QFile& file, const QString& path, qint64 maxBytes);

/// Sequential reader of a record file. Open throws as OpenForReading does, with a cap of
/// `maxRecords` records; Next throws DataError for a trailing fragment shorter than a
/// record.
class RecordFileReader {
public:
    RecordFileReader(const QString& path, std::size_t recordSize,
                     qint64 maxRecords = MaxRecordsPerFile);
    /// Reads the next record into the internal buffer; false at a clean end of file.
    bool Next();
    RecordView Current() const { return RecordView(std::span(buffer_.get(), size_)); }
    const QString& Path() const { return path_; }

private:
    QString path_;
    std::size_t size_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    QFile file_;
};

/// The one writer of the program's files. Bytes go to a temporary file beside the
/// target (".NAME.nimbrel-XXXXXX", so that the program knows its own leftovers), written
/// without a buffer so that every failing write is seen with the system's reason; Commit
/// checks the size, waits for the disk (unless told not to) and renames the temporary
/// over the target. Until then, and after any failure, the old file stays byte for byte;
/// a temporary never committed is removed. A link at the target is replaced, not
/// written through; an existing file keeps its permissions, and a read-only one is
/// refused before anything is written. Failures throw FileError: "Disk full while
/// writing FILE" or "Cannot write FILE: reason".
class FileWriter {
public:
    enum class Sync { ToDisk, NoWait };
    explicit FileWriter(const QString& path, Sync sync = Sync::ToDisk);
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    void Write(const char* data, qint64 size);
    void Write(const QByteArray& bytes) { Write(bytes.constData(), bytes.size()); }
    /// Completes the temporary (size checked, on the disk) without replacing the target
    /// yet: a set of files is settled whole before the first of them is replaced.
    void Settle();
    /// Settles when not yet done, then puts the temporary in place of the target.
    void Commit();
    const QString& Path() const { return path_; }
    qint64 Written() const { return written_; }

private:
    [[noreturn]] void Fail(const QFileDevice& device) const;
    QString path_;
    Sync sync_;
    std::unique_ptr<QFile> file_;
    QString temporary_;
    qint64 written_ = 0;
    bool settled_ = false, committed_ = false;
};

/// Writes a record file through FileWriter: the file at `path` is replaced only by
/// Close, so a failure, a full disc or a kill before then leaves the old file whole.
class RecordFileWriter {
public:
    RecordFileWriter(const QString& path, std::size_t recordSize);
    void Append(const QByteArray& record);
    /// Puts the records appended so far in place of the old file.
    void Close();

private:
    QString path_;
    std::size_t size_;
    FileWriter file_;
};

/// Removes the writer's own temporaries in `folder` that nobody has written for a
/// while (left by a kill or a power cut). With `target`, only those of that file,
/// including the names earlier versions of the program used (".NAME.XXXXXX" and
/// "NAME.XXXXXX"). Returns the names removed. Never throws.
QStringList RemoveStaleTemporaries(const QString& folder, const QString& target = {});

/// Why a tool that writes or deletes must leave `path` alone, or "" when it may act:
/// the path must name a regular file (links followed), or nothing yet, whose real place
/// is inside the real folder `root`. A link out of a disc would otherwise let a tool
/// write or delete files elsewhere.
QString ReasonToLeaveAlone(const QString& path, const QString& root);

/// Reads a whole file of at most `maxBytes`; throws as OpenForReading does, and FileError
/// when it cannot be read.
QByteArray ReadWholeFile(const QString& path, qint64 maxBytes = MaxTextFileBytes);
/// Writes a whole file through FileWriter: the old file stays whole until the new one is
/// complete and on the disk; FileError on failure.
void WriteWholeFile(const QString& path, const QByteArray& bytes);
/// Writes several files as one: every file is written and settled before the first is
/// replaced, so a failure (a full disk, a read-only file) leaves all of them as they were.
void WriteWholeFiles(const std::vector<std::pair<QString, QByteArray>>& files);
/// Writes a whole file as WriteWholeFile does, but without waiting for the disk to hold
/// it: for a copy the program makes again from its source whenever it needs it, where a
/// crash may lose the new copy but never leaves half of one. FileError on failure.
void WriteRemadeFile(const QString& path, const QByteArray& bytes);
/// Copies a file of at most `maxBytes` byte for byte over the target, as WriteWholeFile.
void CopyWholeFile(const QString& source, const QString& target, qint64 maxBytes);

} // namespace nimbrel
