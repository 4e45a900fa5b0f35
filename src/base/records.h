#pragma once
// Headerless files of fixed-size little-endian records. A record is read whole into a
// byte buffer and its fields are taken at their offsets, so a malformed length byte or
// a short file can never read past the record.
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

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

/// Opens `file` on `path` for reading. Only a regular file (links followed) of at most
/// `maxBytes` is opened: FileNotFound when it is missing, FileError naming the file when
/// it is something else (a pipe would block for ever, a device never ends), DataError
/// naming the file and its size when it is larger. Every reader of outside files opens
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

/// Writes a record file through a temporary file beside it: the file at `path` is
/// replaced only by Close, so a failure, a full disc or a kill before then leaves the
/// old file whole.
class RecordFileWriter {
public:
    RecordFileWriter(const QString& path, std::size_t recordSize);
    void Append(const QByteArray& record);
    /// Puts the records appended so far in place of the old file.
    void Close();

private:
    QString path_;
    std::size_t size_;
    QSaveFile file_;
};

/// Why a tool that writes or deletes must leave `path` alone, or "" when it may act:
/// the path must name a regular file (links followed), or nothing yet, whose real place
/// is inside the real folder `root`. A link out of a disc would otherwise let a tool
/// write or delete files elsewhere.
QString ReasonToLeaveAlone(const QString& path, const QString& root);

/// Reads a whole file of at most `maxBytes`; throws as OpenForReading does, and FileError
/// when it cannot be read.
QByteArray ReadWholeFile(const QString& path, qint64 maxBytes = MaxTextFileBytes);
/// Writes a whole file through a temporary file and a rename, so the old file stays
/// whole until the new one is complete; FileError on failure.
void WriteWholeFile(const QString& path, const QByteArray& bytes);
/// Writes a whole file as WriteWholeFile does, through a temporary file and a rename, but
/// without waiting for the disk to hold it: for a copy the program makes again from its
/// source whenever it needs it, where a crash may lose the new copy but never leaves half
/// of one. A link at `path` is replaced, not written through. FileError on failure.
void WriteRemadeFile(const QString& path, const QByteArray& bytes);
/// Copies a file of at most `maxBytes` byte for byte over the target, as WriteWholeFile.
void CopyWholeFile(const QString& source, const QString& target, qint64 maxBytes);

} // namespace nimbrel
