// The floor for a command-line start: a program that only makes the Qt Core
// application object and ends. scripts/compare-exchange.py times
// "orvel-cli --version" against it.
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::puts("empty");
    return 0;
}
