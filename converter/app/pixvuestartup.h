#pragma once

// The converter's start, run and end: data directory, single instance, logging, font,
// translation, main window, the network services the user agreed to, event loop, clean-up and
// restart.

#include "core/pixvueexit.h"
#include "ztconfig.h"

#include <QString>

class QTranslator;
class zentarPixvue;

namespace pixvue {

inline constexpr const char* kInstanceIdentifier = "zentarPixvue";
inline constexpr const char* kRaiseMessage = "raise_window_noop";
inline constexpr int kMessageTimeoutMs = 4000;
// The desktop entry that the installation puts in the menu (window-to-entry matching).
inline constexpr const char* kDesktopFileName = "com.zentar.Pixvue";
inline constexpr const char* kTranslationFile = ":/translation/zentarpixvue_zh.qm";
// Better wordings of some English source texts, which stay the keys.
inline constexpr const char* kEnglishTranslationFile = ":/translation/zentarpixvue_en.qm";

// For scripted runs and tests: when set to a number, the event loop ends with that exit code
// as soon as the main window is shown. A restart does not hand it on.
inline constexpr const char* kQuitAfterStartVariable = "PIXVUE_QUIT_AFTER_START";

// Creates the data directory with its missing parents and returns it (ending with "/").
QString prepareDataDirectory();

// Everything after the data directory and the crash handler; returns the process's exit code.
int runConverter(int& argc, char** argv);

// Images for the widget kit, the application font "Microsoft YaHei" 14 px and its CJK
// stand-in. Needs the application object and logging.
void applyApplicationLook();

// Loads the Chinese translation into translator when language is Chinese, else the English
// one; false when it could not be loaded.
bool loadTranslation(QTranslator& translator, Language language);

// Starts the background version check; its result goes to the window's slotUpdateInfo. The
// window keeps the thread, so that closing it stops the check.
void startVersionCheck(zentarPixvue* window);

}  // namespace pixvue
