#pragma once
// What the program tells the platform about itself before its first window.

namespace nimbrel {

/// Names the application for the settings, the desktop entry and the desktop's task
/// list. No display name is set: the platform would append it to every window title,
/// and each window's caption is its whole title. With a widget application, installs the
/// platform's style with one change: the menu bar's extension button gets its icon when
/// first drawn rather than when the menu bar is made.
void ConfigureApplication();

} // namespace nimbrel
