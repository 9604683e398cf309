#pragma once
// Puts the texts of a language on the widgets of one window, found by object
// name, and keeps the Language menu's entries and check mark.

#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "app/localisation.h"

class QMenu;
class QWidget;

namespace app::ui {

// Applies every text of `texts` that belongs to the window (matched by the
// window's object name). Returns the object names that were not found or
// cannot take the text, so a missing control shows up in tests.
QStringList ApplyLanguage(QWidget* window, const LanguageTexts& texts);

// The same for every top-level window of the program: the main window and
// the dialogs, which are created once and kept.
void ApplyLanguageToAllWindows(const LanguageTexts& texts);

// Fills the Language submenu with one checkable entry per language; choosing
// an entry calls `chosen` with its 0-based position.
void FillLanguageMenu(QMenu* menu, const std::vector<std::string>& captions, std::function<void(int)> chosen);

// Clears every check mark of the Language submenu and checks entry `language`
// (1-based).
void CheckLanguage(QMenu* menu, int language);

}  // namespace app::ui
