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
#include <QString>

namespace nimbrel {

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

/// Sequential reader of a record file. Open throws FileNotFound for a missing file
/// and FileError when it cannot be read; Next throws DataError for a trailing
/// fragment shorter than a record.
class RecordFileReader {
public:
    RecordFileReader(const QString& path, std::size_t recordSize);
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

/// Creates (truncating) a record file and appends records to it.
class RecordFileWriter {
public:
    RecordFileWriter(const QString& path, std::size_t recordSize);
    void Append(const QByteArray& record);
    void Close();

private:
    QString path_;
    std::size_t size_;
    QFile file_;
};

/// Reads a whole file; FileNotFound when missing, FileError when unreadable.
QByteArray ReadWholeFile(const QString& path);
/// Writes a whole file, creating or truncating it; FileError on failure.
void WriteWholeFile(const QString& path, const QByteArray& bytes);
/// Copies a file byte for byte over a target that is created or truncated.
void CopyWholeFile(const QString& source, const QString& target);

} // namespace nimbrel
