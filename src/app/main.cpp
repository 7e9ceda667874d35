#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Talvo Utility"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Talvo Utility V0304"));
    window.show();
    return app.exec();
}
