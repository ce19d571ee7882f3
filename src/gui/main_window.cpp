#include "gui/main_window.h"

#include "platform/platform.h"

namespace quorvex {

MainWindow::MainWindow(Platform &platform, QWidget *parent) : QWidget(parent), m_platform(platform) {}

}  // namespace quorvex
