#pragma once
// The widget the door dialogs stand on: the main window when the host is
// one, else the active window.

#include <QApplication>
#include <QWidget>

#include "session/main_host.h"

namespace korrin {

inline QWidget* HostWidget(TMainHost& host) {
  if (auto* w = dynamic_cast<QWidget*>(&host)) return w;
  return QApplication::activeWindow();
}

}  // namespace korrin
