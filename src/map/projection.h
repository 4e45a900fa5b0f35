#pragma once
// The target map's orthographic projection and its descriptor record.
#include <cstdint>

#include <QByteArray>
#include <QString>

#include "map/geodesy.h"

namespace nimbrel {

inline constexpr std::int32_t MissingPixel = -9999;

struct PixelPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

/// The 152-byte little-endian record describing a view; also the "nimbrel.mpd" file.
struct ProjectionDescriptor {
    static constexpr std::size_t RecordSize = 152;
    double CentreLatitude = 0.0;     ///< offset 0
    double CentreLongitude = 0.0;    ///< offset 8
    double Scale = 0.0;              ///< offset 16; globe radius in pixels = Scale * Width
    std::int32_t Height = 0;         ///< offset 48
    std::int32_t Width = 0;          ///< offset 52
    std::int32_t OffsetX = 0;        ///< offset 56
    std::int32_t OffsetY = 0;        ///< offset 60
    double StretchX = 0.0;           ///< offset 64
    double StretchY = 0.0;           ///< offset 72
    double Rotation = 0.0;           ///< offset 96
    std::int32_t ProjectionKind = 0; ///< offset 104; 1 = orthographic

    QByteArray ToBytes() const;
    /// Throws DataError unless `bytes` holds exactly one record.
    static ProjectionDescriptor FromBytes(const QByteArray& bytes);
};

/// The session's starting view: centre 35N 100W, scale 3, 1000 x 800, orthographic.
/// Fields the reset does not name keep their values.
void ResetViewport(ProjectionDescriptor& viewport);

/// Pixel of a point: x right, y down from the top-left corner, halves rounded to even.
/// (-9999, -9999) for a point outside the latitude/longitude ranges or on the far
/// hemisphere; a coordinate beyond +-9999 pixels becomes -9999 on its own.
PixelPoint ProjectToScreen(const ProjectionDescriptor& d, const GeoPoint& point);
/// Position of a pixel (doubles, so sub-pixel positions convert too). A pixel off the
/// globe's disc is clamped to its rim; (-9999, -9999) when the view has no radius.
GeoPoint ScreenToGeo(const ProjectionDescriptor& d, double x, double y);

/// The Map menu's pans (one degree) and zooms (by 1.5). No limits apply.
enum class ViewMove { North, South, East, West, ZoomIn, ZoomOut };
void MoveView(ProjectionDescriptor& viewport, ViewMove move);

/// Shown for a pan or zoom on any view but the target map.
inline const QString PanZoomOnlyOnTargetMapText =
    QStringLiteral("You can only zoom and pan on the Target map, not on graphical products.");

} // namespace nimbrel
