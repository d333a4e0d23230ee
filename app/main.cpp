#include "forms/ErrorReport.h"
#include "forms/TesteTemperatura.h"

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TApplication::setApplicationName(QStringLiteral("VESTARA"));
    TForm1::createMainWindow();
    return app.exec();
}
