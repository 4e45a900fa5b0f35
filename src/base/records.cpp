#include "base/records.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QFileInfo>
#include <QTemporaryFile>

#include "base/errors.h"

namespace nimbrel {
namespace {

template <typename T> T LoadLE(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v |= std::uint64_t(p[i]) << (8 * i);
    T out;
    if constexpr (sizeof(T) == 8) {
        std::memcpy(&out, &v, 8);
    } else {
        using U = std::make_unsigned_t<T>;
        const U u = static_cast<U>(v);
        std::memcpy(&out, &u, sizeof(T));
    }
    return out;
}

template <typename T> void StoreLE(char* p, T value) {
    std::uint64_t v = 0;
    std::memcpy(&v, &value, sizeof(T));
    for (std::size_t i = 0; i < sizeof(T); ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

QString OpenErrorText(const QString& path, const QFileDevice& file) {
    return QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString());
}

} // namespace

const std::uint8_t* RecordView::At(std::size_t offset, std::size_t size) const {
    if (offset > bytes_.size() || size > bytes_.size() - offset)
        throw DataError(QStringLiteral("Record field out of range"));
    return bytes_.data() + offset;
}

std::int16_t RecordView::Int16(std::size_t offset) const {
    return LoadLE<std::int16_t>(At(offset, 2));
}
std::int32_t RecordView::Int32(std::size_t offset) const {
    return LoadLE<std::int32_t>(At(offset, 4));
}
double RecordView::Double(std::size_t offset) const {
    return LoadLE<double>(At(offset, 8));
}

QString RecordView::ShortString(std::size_t offset, std::size_t capacity) const {
    const std::uint8_t* p = At(offset, capacity + 1);
    const std::size_t len = std::min<std::size_t>(p[0], capacity);
    return QString::fromLatin1(reinterpret_cast<const char*>(p + 1), static_cast<qsizetype>(len));
}

char* RecordBuilder::At(std::size_t offset, std::size_t size) {
    if (offset + size > static_cast<std::size_t>(bytes_.size()))
        throw DataError(QStringLiteral("Record field out of range"));
    return bytes_.data() + offset;
}

void RecordBuilder::Int16(std::size_t offset, std::int16_t value) {
    StoreLE(At(offset, 2), value);
}
void RecordBuilder::Int32(std::size_t offset, std::int32_t value) {
    StoreLE(At(offset, 4), value);
}
void RecordBuilder::Double(std::size_t offset, double value) {
    StoreLE(At(offset, 8), value);
}

void RecordBuilder::ShortString(std::size_t offset, std::size_t capacity, const QString& text) {
    char* p = At(offset, capacity + 1);
    const QByteArray latin = text.toLatin1().left(static_cast<qsizetype>(capacity));
    p[0] = static_cast<char>(latin.size());
    std::memcpy(p + 1, latin.constData(), static_cast<std::size_t>(latin.size()));
}

void OpenForReading(QFile& file, const QString& path, qint64 maxBytes) {
    const QFileInfo info(path); // follows links: a link to a regular file is read
    if (!info.exists()) throw FileNotFound(path);
    if (!info.isFile())
        throw FileError(
            QStringLiteral("The file \"%1\" is not an ordinary file and was not read").arg(path));
    if (info.size() > maxBytes)
        throw DataError(QStringLiteral("The file \"%1\" is too large: %2 bytes, where at most "
                                       "%3 are expected")
                            .arg(path)
                            .arg(info.size())
                            .arg(maxBytes));
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) throw FileError(OpenErrorText(path, file));
}

QString ReasonToLeaveAlone(const QString& path, const QString& root) {
    const QFileInfo info(path);
    const bool exists = info.exists();
    if (info.isSymLink() && !exists) return QStringLiteral("a link that leads nowhere");
    if (exists && !info.isFile()) return QStringLiteral("not an ordinary file");
    const QString realRoot = QFileInfo(root).canonicalFilePath();
    const QString real =
        exists ? info.canonicalFilePath() : QFileInfo(info.absolutePath()).canonicalFilePath();
    if (realRoot.isEmpty() || real.isEmpty() ||
        !(real == realRoot || real.startsWith(realRoot + QLatin1Char('/'))))
        return QStringLiteral("it leads outside the disc folder");
    return {};
}

RecordFileReader::RecordFileReader(const QString& path, std::size_t recordSize, qint64 maxRecords)
    : path_(path), size_(recordSize), buffer_(new std::uint8_t[recordSize]()) {
    OpenForReading(file_, path, maxRecords * static_cast<qint64>(recordSize));
}

bool RecordFileReader::Next() {
    const qint64 got =
        file_.read(reinterpret_cast<char*>(buffer_.get()), static_cast<qint64>(size_));
    if (got == 0) return false;
    if (got < 0) throw FileError(QStringLiteral("Read error on \"%1\"").arg(path_));
    if (static_cast<std::size_t>(got) < size_)
        throw DataError(
            QStringLiteral("Read beyond end of file: \"%1\" ends with a record cut short")
                .arg(path_));
    return true;
}

RecordFileWriter::RecordFileWriter(const QString& path, std::size_t recordSize)
    : path_(path), size_(recordSize), file_(path) {
    if (!file_.open(QIODevice::WriteOnly)) throw FileError(OpenErrorText(path, file_));
}

void RecordFileWriter::Append(const QByteArray& record) {
    if (static_cast<std::size_t>(record.size()) != size_)
        throw DataError(QStringLiteral("Record of the wrong size for \"%1\"").arg(path_));
    if (file_.write(record) != record.size())
        throw FileError(QStringLiteral("Write error on \"%1\"").arg(path_));
}

void RecordFileWriter::Close() {
    if (file_.isOpen() && !file_.commit())
        throw FileError(
            QStringLiteral("Write error on \"%1\". %2").arg(path_, file_.errorString()));
}

QByteArray ReadWholeFile(const QString& path, qint64 maxBytes) {
    QFile f;
    OpenForReading(f, path, maxBytes);
    // At most one byte past the size measured, so a file that grows while it is read
    // cannot take more than its cap.
    QByteArray data = f.read(std::min(f.size(), maxBytes) + 1);
    if (f.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Read error on \"%1\"").arg(path));
    if (data.size() > maxBytes || !f.atEnd())
        throw DataError(QStringLiteral("The file \"%1\" is too large").arg(path));
    return data;
}

void WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) throw FileError(OpenErrorText(path, f));
    if (f.write(bytes) != bytes.size() || !f.commit())
        throw FileError(QStringLiteral("Write error on \"%1\". %2").arg(path, f.errorString()));
}

void WriteRemadeFile(const QString& path, const QByteArray& bytes) {
    const QFileInfo target(path);
    // A name the program can tell its own, in the target's folder so that the rename
    // stays on one file system.
    QTemporaryFile f(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                     QStringLiteral(".XXXXXX"));
    if (!f.open()) throw FileError(OpenErrorText(path, f));
    // Made readable as a new file of the folder would be; an existing file keeps its own.
    f.setPermissions(target.exists() && !target.isSymLink()
                         ? target.permissions()
                         : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                               QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (f.write(bytes) != bytes.size() || !f.flush())
        throw FileError(QStringLiteral("Write error on \"%1\". %2").arg(path, f.errorString()));
    const QByteArray from = QFile::encodeName(f.fileName());
    if (std::rename(from.constData(), QFile::encodeName(path).constData()) != 0)
        throw FileError(QStringLiteral("Write error on \"%1\". %2")
                            .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    f.setAutoRemove(false); // it is the target now
}

void CopyWholeFile(const QString& source, const QString& target, qint64 maxBytes) {
    WriteWholeFile(target, ReadWholeFile(source, maxBytes));
}

} // namespace nimbrel
