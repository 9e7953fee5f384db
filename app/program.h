#pragma once

// The program block: the regional settings, the error reporting and the seven windows, each
// a single instance created at start-up in a fixed order and reachable from every page.

#include "errorbox.h"
#include "numbers.h"
#include "window.h"

#include <QPixmap>

namespace dalko {

class TLogo_F;
class TProg_FL2;
class TProg_F;
class TProg_F2;
class TProg_F3;
class TT_F1;
class TT_F2;

struct Program {
    Program();
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    NumberFormat regional;
    ErrorReporter errors;
    DialogReturn dialogReturn;

    dalko::TLogo_F *TLogo_F = nullptr; // the main window
    dalko::TProg_F *TProg_F = nullptr;
    dalko::TProg_F2 *TProg_F2 = nullptr;
    dalko::TProg_F3 *TProg_F3 = nullptr;
    dalko::TProg_FL2 *TProg_FL2 = nullptr;
    dalko::TT_F1 *TT_F1 = nullptr;
    dalko::TT_F2 *TT_F2 = nullptr;

    // Creates the windows, each hidden, each running its FormCreate.
    void createWindows();
    void refreshRegional();
    // Closing the main window ends the program.
    void endProgram();

    // The folder of the executable, where the templates and pictures lie.
    static QString installDir();
    QPixmap picture(const QString &fileName) const;
};

// Prepares the application: fonts, default font, taskbar icon.
void setUpApplication();

} // namespace dalko
