// Start-up: the main window (which starts a new, untitled song), then the about and instructions
// windows, hidden; the program ends when the main window closes.
#include "ui/About.h"
#include "ui/Appearance.h"
#include "ui/Arbeitsblatt.h"
#include "ui/Bedienung.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Versino"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/glyphs/program.bmp")));
    versino::ui::setupAppearance();

    TWorkingForm workingForm;
    TAboutBox aboutBox(&workingForm);
    TBedienungForm bedienungForm(&workingForm);
    workingForm.setHelpWindows(&bedienungForm, &aboutBox);

    workingForm.show();
    return app.exec();
}
