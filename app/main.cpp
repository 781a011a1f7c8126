// Program entry: the application object, the COM start-up, then the main window and
// the message loop until it closes.
#include <QApplication>
#include <clocale>

#include "app/ApplicationErrors.h"
#include "app/VeskinUnit.h"
#include "wmi/InitComSecurity.h"

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(veskin::ApplicationTitle));
    veskin::HandleExceptions([] { veskin::InitComStartup(); });
    veskin::TForm1 form;
    form.show();
    return QApplication::exec();
}
