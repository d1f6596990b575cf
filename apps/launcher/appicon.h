// The launcher's application icon: the application picture in the sizes its windows hand
// to the desktop's task bar, window switcher and title bar, from PNG files built into the
// program.
#pragma once

// Decodes the built-in pictures of the sizes a window shows and makes them the
// application icon of the current window system. False when none is open or a picture is
// missing or cannot be read; the windows then show no icon of ours.
bool SetLauncherIcon();
