#pragma once

#include <QWidget>

namespace quorvex {

class Platform;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(Platform &platform, QWidget *parent = nullptr);

private:
    Platform &m_platform;
};

}  // namespace quorvex
