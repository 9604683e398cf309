#pragma once
// The program's own dialogs, shown through the host's prompts. Each is made
// when it is shown and gets the language last chosen before it appears.

namespace host {
class QtPrompts;
}

namespace app::ui {

class MainWindow;

void RegisterDialogs(host::QtPrompts& prompts, MainWindow& window);

}  // namespace app::ui
