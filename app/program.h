#pragma once

// The program block: the regional settings, the error reporting and the seven windows, each
// a single instance created at start-up in a fixed order and reachable from every page.

#include "errorbox.h"
#include "numbers.h"
#include "window.h"

#include "reportfile/reportformat.h"

#include <QPixmap>

#include <memory>

namespace dalko {

class TLogo_F;
class TProg_FL2;
class TProg_F;
class TProg_F2;
class TProg_F3;
class TT_F1;
class TT_F2;
class CostPage;

struct Program {
    Program();
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    NumberFormat regional;
    ErrorReporter errors;
    DialogReturn dialogReturn;

    // Destroyed in the reverse order of their creation.
    std::unique_ptr<dalko::TLogo_F> TLogo_F; // the main window
    std::unique_ptr<dalko::TProg_F> TProg_F;
    std::unique_ptr<dalko::TProg_F2> TProg_F2;
    std::unique_ptr<dalko::TProg_F3> TProg_F3;
    std::unique_ptr<dalko::TProg_FL2> TProg_FL2;
    std::unique_ptr<dalko::TT_F1> TT_F1;
    std::unique_ptr<dalko::TT_F2> TT_F2;

    // Creates the windows, each hidden, each running its FormCreate.
    void createWindows();
    void refreshRegional();
    // Closing the main window ends the program.
    void endProgram();

    // The last page of a calculator, which binds the lines of its report files.
    CostPage &lastPage(report::Calculator calculator) const;
    QStringList reportLines(report::Calculator calculator) const;
    // Assigns the lines of a report file to the pages, as "Загрузить данные" does.
    void loadReport(report::Calculator calculator, const QStringList &lines);

    // The folder of the executable, where the templates and pictures lie.
    static QString installDir();
    QPixmap picture(const QString &fileName) const;
};

// Prepares the application: fonts, default font, taskbar icon.
void setUpApplication();

} // namespace dalko
