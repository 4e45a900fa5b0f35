#pragma once
// Work the program starts beside the building of its main window, so that the window
// maps sooner with the same content: the system's font configuration is read on a thread
// of its own while the platform connection is made and the per-user folder is filled, and
// the first chart is decoded before the widgets are built instead of after.
#include <QImage>
#include <QString>

namespace nimbrel {

/// Starts reading the system's font configuration on a thread of its own. Called first
/// thing in main(), before the application object; nothing reads the configuration until
/// the first window measures its text. Where the platform has no fontconfig, nothing.
void BeginFontLoading();

/// The application object exists: the font thread goes on to fill Qt's font database
/// from the configuration it read.
void FontLoadingMayUseQt();

/// Waits until the font configuration begun above has been read; at once when none was
/// begun. Called before the first widget is made (Qt then waits on its own font lock
/// while the thread fills its database).
void AwaitFontLoading();

/// Ends the font thread (waits for it); called before the application object goes.
void FinishFontLoading();

/// True when the program itself is starting (main() began the font loading), as
/// opposed to a window built by a test.
bool ProgramStarting();

/// The first picture the view will show, decoded ahead: the file `path` (a JPEG frame)
/// is read and decoded now; a decoding failure is kept and thrown where the picture is
/// taken, as if it were decoded there.
void DecodeFirstPictureAhead(const QString& path);

/// The picture decoded ahead for `path`, once: true and `picture` set when it was decoded
/// for this very path and the file has not changed since; the kept failure is thrown.
/// Any call ends the offer, so only the first picture shown can come from here.
bool TakeFirstPicture(const QString& path, QImage& picture);

} // namespace nimbrel
