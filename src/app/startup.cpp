#include "app/startup.h"

#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <thread>

#include <QDateTime>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

#if NIMBREL_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif
#if NIMBREL_HAVE_QTDBUS
#include <QDBusConnection>
#endif

#include "viewer/decoders.h"

namespace nimbrel {

namespace {

// Reading fontconfig's configuration (some fifty XML files on a desktop) is the largest
// single step before a window with text can be laid out; Qt does it on the first text
// measured. Here it runs on a thread of its own from the first line of main(), beside
// the platform connection, the per-user folder and the first picture; the window waits
// for it before it builds any widget (two threads reading the configuration at once would
// each read all of it). Fontconfig is thread-safe, and Qt's font database guards itself
// with a lock, so the thread goes on to fill that database once the application object
// exists.
struct FontLoading {
    std::mutex Mutex;
    std::condition_variable Changed;
    bool ConfigurationRead = false;
    bool QtUsable = false;
    bool Abandoned = false;
    bool Begun = false;
    std::thread Thread;
    std::thread Bus; ///< connects the session bus

    FontLoading() = default;
    FontLoading(const FontLoading&) = delete;
    FontLoading& operator=(const FontLoading&) = delete;
    ~FontLoading() { Finish(); }

    void Finish() {
        {
            const std::lock_guard<std::mutex> lock(Mutex);
            if (!QtUsable) Abandoned = true; // never touch Qt without its application
        }
        Changed.notify_all();
        if (Thread.joinable()) Thread.join();
        if (Bus.joinable()) Bus.join();
    }
};

FontLoading& Fonts() {
    static FontLoading fonts;
    return fonts;
}

void LoadFonts(FontLoading& fonts) {
#if NIMBREL_HAVE_FONTCONFIG
    FcInit();
#endif
    {
        std::unique_lock<std::mutex> lock(fonts.Mutex);
        fonts.ConfigurationRead = true;
        fonts.Changed.notify_all();
        fonts.Changed.wait(lock, [&fonts] { return fonts.QtUsable || fonts.Abandoned; });
        if (fonts.Abandoned) return;
    }
    // Qt's families and styles, made from the configuration under Qt's own lock: the
    // window, building meanwhile, waits on that lock only when it first measures text.
    QFontDatabase::families();
}

/// The picture being decoded ahead, with what identified the file when it was asked for.
struct FirstPicture {
    bool Offered = false;
    QString Path;
    qint64 Size = -1;
    QDateTime Modified;
    std::future<QImage> Picture; ///< holds a decoding failure as well
};

FirstPicture& Ahead() {
    static FirstPicture ahead;
    return ahead;
}

} // namespace

QByteArray HopelessBusLaunchAddress(const QProcessEnvironment& environment,
                                    const std::function<bool(const QString&)>& exists) {
    if (!environment.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")).isEmpty()) return {};
    // libdbus starts a bus of its own only for an X display, and finds the per-user
    // socket by itself where there is one.
    if (environment.value(QStringLiteral("DISPLAY")).isEmpty()) return {};
    const QString runtime = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if (runtime.isEmpty() || !runtime.startsWith(QLatin1Char('/'))) return {};
    const QString socket = runtime + QStringLiteral("/bus");
    if (exists(socket)) return {};
    // Where libdbus looks for dbus-launch: its own folder, then the search path.
    QStringList places{QStringLiteral("/usr/bin")};
    places += environment.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& place : places)
        if (exists(place + QStringLiteral("/dbus-launch"))) return {};
    // A bus address escapes every byte but a few.
    QByteArray address("unix:path=");
    for (const char c : socket.toLocal8Bit()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || (c != '\0' && std::strchr("-_/.\\*", c));
        if (plain)
            address += c;
        else
            address +=
                '%' + QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
    }
    return address;
}

void SkipHopelessBusLaunch() {
    const QByteArray address =
        HopelessBusLaunchAddress(QProcessEnvironment::systemEnvironment(),
                                 [](const QString& path) { return QFileInfo::exists(path); });
    if (!address.isEmpty()) qputenv("DBUS_SESSION_BUS_ADDRESS", address);
}

void BeginFontLoading() {
    FontLoading& fonts = Fonts();
    if (fonts.Begun) return;
    fonts.Begun = true;
    fonts.Thread = std::thread([&fonts] { LoadFonts(fonts); });
}

void FontLoadingMayUseQt() {
    FontLoading& fonts = Fonts();
    {
        const std::lock_guard<std::mutex> lock(fonts.Mutex);
        if (fonts.Abandoned) return;
        fonts.QtUsable = true;
    }
    fonts.Changed.notify_all();
#if NIMBREL_HAVE_QTDBUS
    // The first text set on a widget starts Qt's accessibility bridge, and the menu bar
    // asks whether the desktop shows menus itself: both go to the session bus. Connecting
    // to it would happen in the middle of the window's building; here it happens beside
    // it, and the window finds the connection made. Qt's bus connections may be used
    // from any thread.
    if (fonts.Begun && !fonts.Bus.joinable())
        fonts.Bus = std::thread([] { QDBusConnection::sessionBus(); });
#endif
}

void AwaitFontLoading() {
    FontLoading& fonts = Fonts();
    std::unique_lock<std::mutex> lock(fonts.Mutex);
    if (!fonts.Begun) return;
    fonts.Changed.wait(lock, [&fonts] { return fonts.ConfigurationRead; });
}

void FinishStartupWork() {
    Fonts().Finish();
    Ahead() = FirstPicture(); // waits for a decoding nobody took
}

bool ProgramStarting() {
    return Fonts().Begun;
}

void DecodeFirstPictureAhead(const QString& path) {
    FirstPicture ahead;
    ahead.Offered = true;
    ahead.Path = path;
    const QFileInfo info(path);
    ahead.Size = info.size();
    ahead.Modified = info.lastModified();
    // What identifies the file is taken before the decoding starts, so that a file
    // replaced meanwhile can never pass for the one decoded.
    ahead.Picture = std::async(std::launch::async, [path] { return DecodeJpegFile(path); });
    Ahead() = std::move(ahead);
}

bool TakeFirstPicture(const QString& path, QImage& picture) {
    FirstPicture ahead = std::move(Ahead());
    Ahead() = FirstPicture();
    if (!ahead.Offered || ahead.Path != path) return false;
    const QFileInfo info(path);
    if (info.size() != ahead.Size || info.lastModified() != ahead.Modified) return false;
    picture = ahead.Picture.get(); // throws the decoding's failure
    return true;
}

} // namespace nimbrel
