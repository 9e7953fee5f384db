#pragma once

// The program block: the regional settings, the error reporting and the seven windows, each
// a single instance created at start-up in a fixed order and reachable from every page.

#include "errorbox.h"
#include "numbers.h"
#include "vatlaw.h"
#include "window.h"

#include "reportfile/reportformat.h"

#include <QPixmap>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

class QCommandLineParser;
class QLocale;
class QTranslator;

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
    // The estimate's date, today at each start, and the VAT rate the firm fixed, if any.
    EstimateTerms estimateTerms;
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
    // Shows the splash at the centre of the desktop. When its time is up, the choice screen
    // follows; with a report file, the first page of that file's calculator instead, the file
    // loaded as "Загрузить данные" loads it.
    void start(const QString &reportFile = QString());
    // Loads the report file given at start, if any; the window that follows the splash.
    QWidget *screenAfterSplash();
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

  private:
    QString m_reportAtStart;
};

// The calculator of a report file, told by its line 8.
report::Calculator calculatorOf(const QStringList &lines);

// Prepares the application: name and version, default font, taskbar icon.
void setUpApplication();

// Qt's own texts (file dialogs and their questions, message-box buttons, the edit boxes'
// context menus) in Russian when the user's language is Russian, for as long as this lives.
class QtTranslation {
  public:
    explicit QtTranslation(const QLocale &locale);
    ~QtTranslation();
    QtTranslation(const QtTranslation &) = delete;
    QtTranslation &operator=(const QtTranslation &) = delete;

  private:
    std::vector<std::unique_ptr<QTranslator>> m_translators;
};

// Adds --help, --help-all and --version to the parser and parses the arguments. Gives the exit
// status when the program ends at once: 0 after the help or the version, 2 for a wrong argument.
std::optional<int> parseCommandLine(QCommandLineParser &parser, const QStringList &arguments);
// Tells a wrong argument on standard error, with where to find the help; gives exit status 2.
int usageError(const QString &message);

// Writes the whole text in UTF-8, a NUL included (as U+FFFD, so that it neither cuts nor
// hides a line).
void printText(std::FILE *stream, const QString &text);

} // namespace dalko
