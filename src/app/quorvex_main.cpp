#include <QApplication>

#include "gui/main_window.h"
#include "platform/platform.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    auto platform = quorvex::CreatePlatform();
    quorvex::MainWindow window(*platform);
    window.show();
    return app.exec();
}
