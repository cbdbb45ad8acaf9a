#pragma once

// What a screen reader sees of the program's own controls, beyond what Qt gives:
// - a spin editor offers its value (read, set, stepped) as the editor's reading rules give it;
//   Qt's spin box interface keeps a value of its own that this editor does not use;
// - a drop-down list is named by its accessible name or its label, and its selected item is its
//   value; Qt on Linux names it by the selected item alone, so that five lists read "Steady On";
// - a pop-up menu that belongs to no menu bar, such as the tray's, is one of the program's
//   windows while it is open, where a screen reader walking the program's windows finds it.
// Installs the interfaces once for the whole program; call it once a QApplication exists.
void InstallControlAccessibility();
