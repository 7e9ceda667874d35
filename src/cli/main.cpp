#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::fputs("talvo-cli: no command yet\n", stderr);
    return 2;
}
