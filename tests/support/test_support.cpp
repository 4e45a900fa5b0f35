#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace nimbrel::test {

QString SharedDataDir() {
    const QString dir = QDir::cleanPath(QStringLiteral(NIMBREL_SHARED_DATA));
    return QFileInfo(dir).isDir() ? dir + QLatin1Char('/') : QString();
}

QString TestDataDir() {
    return QStringLiteral(NIMBREL_TEST_DATA "/");
}
QString ShippedDataDir() {
    return QStringLiteral(NIMBREL_SHIPPED_DATA "/");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write test file");
    f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

} // namespace nimbrel::test
