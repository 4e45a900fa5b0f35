#include "base/records.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

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

namespace {

struct ShippedCopies {
    QString PerUser, Installed;
};

ShippedCopies& Shipped() {
    static ShippedCopies copies;
    return copies;
}

} // namespace

void SetShippedCopies(const QString& perUserFolder, const QString& installedFolder) {
    Shipped() = {perUserFolder, installedFolder};
}

QString ReadablePath(const QString& path) {
    const ShippedCopies& shipped = Shipped();
    if (shipped.PerUser.isEmpty() || shipped.Installed.isEmpty() ||
        !path.startsWith(shipped.PerUser))
        return path;
    const QString name = path.mid(shipped.PerUser.size());
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || QFileInfo::exists(path)) return path;
    const QString installed = shipped.Installed + name;
    return QFileInfo(installed).isFile() ? installed : path;
}

void OpenForReading(QFile& file, const QString& requested, qint64 maxBytes) {
    // A missing per-user copy of a shipped file is read where it was installed.
    const QString path = ReadablePath(requested);
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
    : path_(path), size_(recordSize), file_(path) {}

void RecordFileWriter::Append(const QByteArray& record) {
    if (static_cast<std::size_t>(record.size()) != size_)
        throw DataError(QStringLiteral("Record of the wrong size for \"%1\"").arg(path_));
    file_.Write(record);
}

void RecordFileWriter::Close() {
    file_.Commit();
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

namespace {

// A temporary file is stale when nobody has written it for this long: the writer keeps
// writing its temporary until it renames it, so a live one is never this old.
constexpr qint64 StaleAfterSeconds = 120;
const QLatin1String TemporaryMark(".nimbrel-");

bool IsOwnTemporaryName(const QString& name) {
    static const QRegularExpression own(QStringLiteral("^\\..+\\.nimbrel-[A-Za-z0-9]{6}$"));
    return own.match(name).hasMatch();
}

// A writer clears its target's stale temporaries before it writes. A file written again
// and again (the working copy of the reports, at every hourly advance) need not list its
// folder every time: a temporary turns stale only StaleAfterSeconds after its last write,
// so sweeping at most once in that span leaves a leftover for at most twice as long.
// Leftovers harm nothing meanwhile: every temporary has a name of its own.
void SweepStaleTemporariesNowAndThen(const QString& folder, const QString& target) {
    using Clock = std::chrono::steady_clock;
    static std::mutex lock;
    static QHash<QString, Clock::time_point> swept; // folder '/' target -> last sweep
    const Clock::time_point now = Clock::now();
    const QString key = folder + QLatin1Char('/') + target;
    {
        const std::lock_guard<std::mutex> guard(lock);
        const auto found = swept.constFind(key);
        if (found != swept.cend() && now - *found < std::chrono::seconds(StaleAfterSeconds)) return;
        // The kit writes many files once each; their entries are forgotten once due again.
        if (swept.size() > 256)
            swept.removeIf([&](auto entry) {
                return now - entry.value() >= std::chrono::seconds(StaleAfterSeconds);
            });
        swept.insert(key, now);
    }
    RemoveStaleTemporaries(folder, target);
}

bool ReplaceFile(const QString& from, const QString& to, QString& reason) {
#ifdef Q_OS_WIN
    if (MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                    reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    reason = QStringLiteral("the file could not be replaced (error %1)").arg(GetLastError());
    return false;
#else
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
#endif
}

bool SyncToDisk(QFile& file) {
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

} // namespace

FileWriter::FileWriter(const QString& path, Sync sync) : path_(path), sync_(sync) {
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    SweepStaleTemporariesNowAndThen(folder, target.fileName());
    if (target.exists() && !target.isSymLink() && !target.isFile())
        throw FileError(
            QStringLiteral("Cannot write \"%1\": it is not an ordinary file").arg(path));
    const bool keepsPermissions = target.exists() && !target.isSymLink();
    // The owner's mark counts even for a user the system lets write anyway.
    if (keepsPermissions &&
        (!target.isWritable() || !(target.permissions() & QFileDevice::WriteOwner)))
        throw FileError(QStringLiteral("Cannot write \"%1\": the file is read-only").arg(path));
    // In the target's folder, so that the rename stays on one file system.
    auto temporary =
        std::make_unique<QTemporaryFile>(folder + QStringLiteral("/.") + target.fileName() +
                                         TemporaryMark + QStringLiteral("XXXXXX"));
    // Unbuffered: each write reaches the system at once and its failure is seen there,
    // with its reason, instead of being lost in a flush nobody checks.
    if (!static_cast<QFile&>(*temporary).open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        if (temporary->error() == QFileDevice::ResourceError)
            throw FileError(QStringLiteral("Disk full while writing \"%1\"").arg(path));
        throw FileError(
            QStringLiteral("Cannot write \"%1\": %2").arg(path, temporary->errorString()));
    }
    temporary_ = temporary->fileName();
    // Made readable as a new file of the folder would be; an existing file keeps its own.
    temporary->setPermissions(keepsPermissions
                                  ? target.permissions()
                                  : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ReadOther);
    temporary->setAutoRemove(false); // removed below, by name, unless it became the target
    file_ = std::move(temporary);
}

FileWriter::~FileWriter() {
    if (committed_) return;
    if (file_) file_->close();
    if (!temporary_.isEmpty()) QFile::remove(temporary_);
}

void FileWriter::Fail(const QFileDevice& device) const {
    if (device.error() == QFileDevice::ResourceError)
        throw FileError(QStringLiteral("Disk full while writing \"%1\"").arg(path_));
    const QString reason = device.errorString();
    throw FileError(QStringLiteral("Cannot write \"%1\": %2")
                        .arg(path_, reason.isEmpty() ? QStringLiteral("write error") : reason));
}

void FileWriter::Write(const char* data, qint64 size) {
    if (settled_) throw FileError(QStringLiteral("Cannot write \"%1\": already closed").arg(path_));
    // A write may take only part of the bytes (the disk fills in the middle); the next
    // one then fails with the reason.
    while (size > 0) {
        const qint64 done = file_->write(data, size);
        if (done <= 0) Fail(*file_);
        data += done;
        size -= done;
        written_ += done;
    }
}

void FileWriter::Settle() {
    if (settled_) return;
    if (sync_ == Sync::ToDisk && !SyncToDisk(*file_)) {
        const int code = errno;
        if (code == ENOSPC)
            throw FileError(QStringLiteral("Disk full while writing \"%1\"").arg(path_));
        throw FileError(QStringLiteral("Cannot write \"%1\": %2")
                            .arg(path_, QString::fromLocal8Bit(std::strerror(code))));
    }
    file_->close();
    if (file_->error() != QFileDevice::NoError) Fail(*file_);
    if (QFileInfo(temporary_).size() != written_)
        throw FileError(QStringLiteral("Cannot write \"%1\": %2 of %3 bytes reached the disk")
                            .arg(path_)
                            .arg(QFileInfo(temporary_).size())
                            .arg(written_));
    settled_ = true;
}

void FileWriter::Commit() {
    if (committed_) return;
    Settle();
    QString reason;
    if (!ReplaceFile(temporary_, path_, reason))
        throw FileError(QStringLiteral("Cannot write \"%1\": %2").arg(path_, reason));
    committed_ = true;
}

QStringList RemoveStaleTemporaries(const QString& folder, const QString& target) {
    QStringList removed;
    const QDir dir(folder);
    if (!dir.exists()) return removed;
    const QDateTime staleBefore = QDateTime::currentDateTimeUtc().addSecs(-StaleAfterSeconds);
    // Earlier names put six random letters or digits after the file's name (".NAME.XXXXXX"
    // or "NAME.XXXXXX"); six small letters ("backup") are more likely a person's own name
    // for a copy, and stay, as does such a name beside no file of its first part.
    static const QRegularExpression earlier(
        QStringLiteral("^\\.?(.+)\\.(?=[A-Za-z0-9]*[A-Z0-9])[A-Za-z0-9]{6}$"));
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString name = info.fileName();
        bool ours = IsOwnTemporaryName(name);
        if (!ours) {
            const QRegularExpressionMatch m = earlier.match(name);
            ours = m.hasMatch() &&
                   (target.isEmpty() ? dir.exists(m.captured(1)) : m.captured(1) == target);
        }
        if (ours && !target.isEmpty() && IsOwnTemporaryName(name))
            ours = name.startsWith(QLatin1Char('.') + target + TemporaryMark);
        if (!ours || info.isSymLink() || info.lastModified().toUTC() > staleBefore) continue;
        if (QFile::remove(info.absoluteFilePath())) removed << name;
    }
    removed.sort();
    return removed;
}

void WriteWholeFile(const QString& path, const QByteArray& bytes) {
    FileWriter writer(path);
    writer.Write(bytes);
    writer.Commit();
}

void WriteWholeFiles(const std::vector<std::pair<QString, QByteArray>>& files) {
    std::vector<std::unique_ptr<FileWriter>> writers;
    for (const auto& [path, bytes] : files) {
        writers.push_back(std::make_unique<FileWriter>(path));
        writers.back()->Write(bytes);
        writers.back()->Settle();
    }
    for (auto& writer : writers)
        writer->Commit();
}

void WriteRemadeFile(const QString& path, const QByteArray& bytes) {
    FileWriter writer(path, FileWriter::Sync::NoWait);
    writer.Write(bytes);
    writer.Commit();
}

void CopyWholeFile(const QString& source, const QString& target, qint64 maxBytes) {
    WriteWholeFile(target, ReadWholeFile(source, maxBytes));
}

} // namespace nimbrel
