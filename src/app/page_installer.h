#pragma once

namespace holvex {

class MainWindow;
class MetersPage;

// Builds page 1 into the main window's first tab page and connects it to the window's File menu, language
// switches and extra titles; the tab page owns it.
MetersPage* installMetersPage(MainWindow& window);

} // namespace holvex
