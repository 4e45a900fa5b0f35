#pragma once
// Shared by the fuzz targets: write the input to a private temporary file so that the
// readers under test see it exactly as they would see a file on a data disc.
#include <cstdint>
#include <cstdio>
#include <string>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace nimbrel::fuzz {

inline QString TempPath(const char* name) {
    static const QString dir =
        QDir::tempPath() +
        QStringLiteral("/nimbrel-fuzz-%1").arg(QCoreApplication::applicationPid());
    // Made again whenever it is missing: the replay test removes it when it is done.
    if (!QFileInfo::exists(dir)) QDir().mkpath(dir);
    return dir + QLatin1Char('/') + QString::fromLatin1(name);
}

inline QString WriteInput(const char* name, const std::uint8_t* data, std::size_t size) {
    const QString path = TempPath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    return path;
}

} // namespace nimbrel::fuzz
