#pragma once
// Work the program starts beside the building of its main window, so that the window
// maps sooner with the same content: the system's font configuration is read on a thread
// of its own while the platform connection is made, the desktop's session bus (which
// accessibility and the menu bar ask) is connected on another, and the first chart is
// decoded on a third while the widgets are built.
#include <functional>

#include <QByteArray>
#include <QImage>
#include <QProcessEnvironment>
#include <QString>

namespace nimbrel {

/// The session bus address to give a program started in `environment` where no session
/// bus can be reached and none can be started: no address is set, the per-user socket
/// ($XDG_RUNTIME_DIR/bus) is missing and so is dbus-launch (`exists` answers for a
/// path), on an X display. libdbus would then run dbus-launch to start a bus for the
/// display, forking the whole program for a launch that can only fail. The address is
/// the missing per-user socket, so that connecting fails at once instead, and a bus that
/// appears there later is found. Empty where the program should be left as it is.
QByteArray HopelessBusLaunchAddress(const QProcessEnvironment& environment,
                                    const std::function<bool(const QString&)>& exists);

/// Sets the session bus address HopelessBusLaunchAddress gives for this process, if any.
/// Called first thing in main(), while the program has a single thread.
void SkipHopelessBusLaunch();

/// Starts reading the system's font configuration on a thread of its own. Called first
/// thing in main(), before the application object; nothing reads the configuration until
/// the first window measures its text. Where the platform has no fontconfig, nothing.
void BeginFontLoading();

/// The application object exists: the font thread goes on to fill Qt's font database
/// from the configuration it read, and the session bus is connected on a thread of its
/// own (where Qt has D-Bus).
void FontLoadingMayUseQt();

/// Waits until the font configuration begun above has been read; at once when none was
/// begun. Called before the first widget is made (Qt then waits on its own font lock
/// while the thread fills its database).
void AwaitFontLoading();

/// Ends the start-up threads (waits for them) and lets go of a picture decoded ahead and
/// never taken; called before the application object goes.
void FinishStartupWork();

/// True when the program itself is starting (main() began the font loading), as
/// opposed to a window built by a test.
bool ProgramStarting();

/// The first picture the view will show, decoded ahead: the file `path` (a JPEG frame)
/// is read and decoded on a thread of its own from now on; a decoding failure is kept
/// and thrown where the picture is taken, as if it were decoded there.
void DecodeFirstPictureAhead(const QString& path);

/// The picture decoded ahead for `path`, once (waiting for the decoding to end): true and
/// `picture` set when it was decoded for this very path and the file has not changed
/// since it was asked for; the kept failure is thrown. Any call ends the offer, so only
/// the first picture shown can come from here.
bool TakeFirstPicture(const QString& path, QImage& picture);

} // namespace nimbrel
