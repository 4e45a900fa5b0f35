#include "app/application.h"

#include <functional>
#include <utility>

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>

namespace nimbrel {

namespace {

/// An icon made the first time it is drawn or measured, by `make`.
class DeferredIconEngine final : public QIconEngine {
public:
    explicit DeferredIconEngine(std::function<QIcon()> make) : make_(std::move(make)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Icon().availableSizes(mode, state);
    }
    QString iconName() override { return Icon().name(); }
    // A style's standard icon is never empty; saying so without making it keeps the
    // question from loading it.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("nimbrel-deferred"); }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }

private:
    const QIcon& Icon() {
        if (!made_) {
            icon_ = make_();
            made_ = true;
        }
        return icon_;
    }

    std::function<QIcon()> make_;
    QIcon icon_;
    bool made_ = false;
};

/// The platform's own style, except that the menu bar's extension button (shown only when
/// the window is too narrow for its menus) gets its icon when it is first drawn: the
/// standard icon is read from an image file, and finding the reader for it loads every
/// image format plugin there is (Qt Svg among them) on the way to the first window.
class StartUpStyle final : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (icon != SP_ToolBarHorizontalExtensionButton &&
            icon != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(icon, option, widget);
        // The option and widget are not kept: the button asks with neither. The style
        // may be gone by the time the icon is drawn; the application's then draws it.
        QPointer<QStyle> base(const_cast<QStyle*>(baseStyle()));
        return QIcon(new DeferredIconEngine([base, icon] {
            return base ? base->standardIcon(icon) : QApplication::style()->standardIcon(icon);
        }));
    }
};

} // namespace

void ConfigureApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("Nimbrel"));
    // The desktop entry "nimbrel.desktop" carries the name and icon desktops show.
    QGuiApplication::setDesktopFileName(QStringLiteral("nimbrel"));
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setStyle(new StartUpStyle);
}

} // namespace nimbrel
