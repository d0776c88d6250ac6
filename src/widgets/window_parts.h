#pragma once
// Pieces the program's main windows share: the central area under a
// toolbar strip, and menus filled from named actions.

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QVBoxLayout>

#include <initializer_list>
#include <map>
#include <string>

namespace korrin {

// Makes the window's central widget: the toolbar strip, a sunken rule under
// it, then whatever the caller adds to the returned layout.
QVBoxLayout* SetToolbarCentral(QMainWindow* window, QWidget* toolbar);

// Adds the named actions to the menu in order; "-" adds a separator.
void AddNamedActions(QMenu* menu, const std::map<std::string, QAction*>& actions,
                     std::initializer_list<const char*> names);

}  // namespace korrin
