#include "map/chaser_layer.h"

#include <cmath>
#include <numbers>

#include <QFileInfo>
#include <QFont>
#include <QImageReader>
#include <QPainter>

#include "base/errors.h"
#include "base/records.h"
#include "map/chaser_icons.h"

namespace nimbrel {
namespace {

constexpr double Pi = std::numbers::pi_v<double>;
constexpr int IconOffset = 9;     // centres an 18 x 18 icon on the chaser's pixel
constexpr int MaxIconSide = 1024; // an icon file is a small picture; anything larger is refused
constexpr qint64 MaxIconFileBytes = 16LL * 1024 * 1024;

} // namespace

QImage LoadChaserIcon(const QString& path) {
    QFile file;
    OpenForReading(file, path, MaxIconFileBytes);
    QImageReader reader(&file);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxIconSide || size.height() > MaxIconSide))
        throw DataError(QStringLiteral("The icon \"%1\" is %2 x %3 pixels, too large for an icon")
                            .arg(path)
                            .arg(size.width())
                            .arg(size.height()));
    QImage icon = reader.read();
    if (icon.isNull())
        throw DataError(
            QStringLiteral("Cannot load the icon \"%1\": %2").arg(path, reader.errorString()));
    if (icon.width() > MaxIconSide || icon.height() > MaxIconSide)
        throw DataError(QStringLiteral("The icon \"%1\" is too large for an icon").arg(path));
    // Icons are drawn opaque, whatever transparency the file carries.
    return icon.convertToFormat(QImage::Format_RGB32);
}

const QImage& ChaserIconSet::Icon(const QString& appData, ChaserOutcome outcome) {
    if (appData != folder_) {
        icons_.fill(QImage());
        folder_ = appData;
    }
    const auto index = static_cast<std::size_t>(outcome);
    if (index >= icons_.size()) throw DataError(QStringLiteral("No icon for this chaser"));
    QImage& icon = icons_[index];
    if (icon.isNull()) icon = LoadChaserIcon(appData + ChaserIconFile(outcome));
    return icon;
}

void DrawChaserLayer(QImage& bitmap, const ChaserTable& chasers,
                     const ProjectionDescriptor& viewport, const QString& appData, bool numbers,
                     ChaserIconSet* icons) {
    if (bitmap.isNull()) return;
    QPainter p(&bitmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (numbers) {
        QFont numberFont(QStringLiteral("Sans Serif"));
        numberFont.setPointSize(7);
        numberFont.setBold(false);
        numberFont.setItalic(false);
        // Crisp pixels like the rest of the map; smoothed digits this small only blur.
        numberFont.setStyleStrategy(QFont::NoAntialias);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(numberFont);
    }

    // One holder for the pass: an outcome without an icon file draws whatever the
    // holder last received.
    QImage holder;
    for (int i = 0; i < ChaserCount; ++i) {
        const Chaser& c = chasers[static_cast<std::size_t>(i)];
        const QString file = ChaserIconFile(c.Outcome);
        if (!file.isEmpty())
            holder = icons ? icons->Icon(appData, c.Outcome) : LoadChaserIcon(appData + file);

        const PixelPoint at = ProjectToScreen(viewport, c.Position);
        if (c.Target.Latitude != 0.0 && c.Target.Latitude != MissingCoordinate) {
            const double heading = c.Heading * Pi / 180.0;
            const int dx =
                static_cast<int>(std::nearbyint(HeadingStrokeLength * std::sin(heading)));
            const int dy =
                static_cast<int>(std::nearbyint(-HeadingStrokeLength * std::cos(heading)));
            p.setPen(QPen(QColor(255, 0, 0), 2, Qt::SolidLine));
            p.drawLine(at.X, at.Y, at.X + dx, at.Y + dy);
        }
        if (!holder.isNull()) p.drawImage(at.X - IconOffset, at.Y - IconOffset, holder);
        if (numbers) {
            p.setPen(QPen(Qt::black));
            p.drawText(QRect(at.X, at.Y, 100, 100), Qt::AlignLeft | Qt::AlignTop,
                       QString::number(i + 1));
        }
    }
}

} // namespace nimbrel
