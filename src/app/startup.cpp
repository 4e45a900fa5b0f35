#include "app/startup.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include <QDateTime>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>

#if NIMBREL_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
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

/// The picture decoded ahead, with what identifies the file it came from.
struct FirstPicture {
    bool Offered = false;
    QString Path;
    qint64 Size = -1;
    QDateTime Modified;
    QImage Picture;
    std::exception_ptr Failure;
};

FirstPicture& Ahead() {
    static FirstPicture ahead;
    return ahead;
}

} // namespace

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
}

void AwaitFontLoading() {
    FontLoading& fonts = Fonts();
    std::unique_lock<std::mutex> lock(fonts.Mutex);
    if (!fonts.Begun) return;
    fonts.Changed.wait(lock, [&fonts] { return fonts.ConfigurationRead; });
}

void FinishFontLoading() {
    Fonts().Finish();
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
    try {
        ahead.Picture = DecodeJpegFile(path);
    } catch (...) {
        ahead.Failure = std::current_exception();
    }
    Ahead() = std::move(ahead);
}

bool TakeFirstPicture(const QString& path, QImage& picture) {
    FirstPicture ahead = std::move(Ahead());
    Ahead() = FirstPicture();
    if (!ahead.Offered || ahead.Path != path) return false;
    const QFileInfo info(path);
    if (info.size() != ahead.Size || info.lastModified() != ahead.Modified) return false;
    if (ahead.Failure) std::rethrow_exception(ahead.Failure);
    picture = std::move(ahead.Picture);
    return true;
}

} // namespace nimbrel
