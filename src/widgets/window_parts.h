#pragma once
// Pieces the program's main windows share: the central area under a
// toolbar strip, and menus filled from named actions.

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QVBoxLayout>

#include <initializer_list>

namespace korrin {

// Makes the window's central widget: the toolbar strip, a sunken rule under
// it, then whatever the caller adds to the returned layout.
QVBoxLayout* SetToolbarCentral(QMainWindow* window, QWidget* toolbar);

// Adds the actions to the menu in order; a null entry adds a separator.
void AddActions(QMenu* menu, std::initializer_list<QAction*> actions);

}  // namespace korrin
