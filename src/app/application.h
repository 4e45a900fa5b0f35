#pragma once
// What the program tells the platform about itself before its first window.

namespace nimbrel {

/// Names the application for the settings, the desktop entry and the desktop's task
/// list. No display name is set: the platform would append it to every window title,
/// and each window's caption is its whole title.
void ConfigureApplication();

} // namespace nimbrel
