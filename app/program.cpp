#include "program.h"

#include "Logo_U.h"
#include "Prog_UL2.h"
#include "boiler/T_U1.h"
#include "boiler/T_U2.h"
#include "estimatetermsdialog.h"
#include "general/Prog_U.h"
#include "general/Prog_U2.h"
#include "general/Prog_U3.h"
#include "reportfile/reportbinding.h"
#include "version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace dalko {

Program::Program() : regional(NumberFormat::fromLocale(QLocale::system()))
{
    estimateTerms.fixedVatPercent = storedFixedVatPercent();
}

Program::~Program() = default;

void Program::createWindows()
{
    TLogo_F = std::make_unique<dalko::TLogo_F>(*this);
    TProg_F = std::make_unique<dalko::TProg_F>(*this);
    TProg_F2 = std::make_unique<dalko::TProg_F2>(*this);
    TProg_F3 = std::make_unique<dalko::TProg_F3>(*this);
    TProg_FL2 = std::make_unique<dalko::TProg_FL2>(*this);
    TT_F1 = std::make_unique<dalko::TT_F1>(*this);
    TT_F2 = std::make_unique<dalko::TT_F2>(*this);
}

void Program::start(const QString &reportFile)
{
    m_reportAtStart = reportFile;
    present(TLogo_F.get());
}

QWidget *Program::screenAfterSplash()
{
    QWidget *screen = TProg_FL2.get();
    if (m_reportAtStart.isEmpty())
        return screen;
    errors.run([&] {
        const QStringList lines = report::readFile(m_reportAtStart);
        const report::Calculator calculator = calculatorOf(lines);
        loadReport(calculator, lines);
        screen = calculator == report::Calculator::General ? static_cast<QWidget *>(TProg_F.get())
                                                           : TT_F1.get();
    });
    return screen;
}

void Program::refreshRegional() { regional = NumberFormat::fromLocale(QLocale::system()); }

void Program::endProgram()
{
    if (TLogo_F)
        TLogo_F->close();
}

CostPage &Program::lastPage(report::Calculator calculator) const
{
    if (calculator == report::Calculator::General)
        return *TProg_F3;
    return *TT_F2;
}

QStringList Program::reportLines(report::Calculator calculator) const
{
    return report::collect(lastPage(calculator).reportBindings(), regional.decimal);
}

void Program::loadReport(report::Calculator calculator, const QStringList &lines)
{
    CostPage &page = lastPage(calculator);
    report::assign(page.reportBindings(), calculator, lines, regional.decimal, errors);
    page.reportLoaded();
}

QString Program::installDir() { return QCoreApplication::applicationDirPath(); }

QPixmap Program::picture(const QString &fileName) const
{
    return QPixmap(installDir() + u'/' + fileName);
}

report::Calculator calculatorOf(const QStringList &lines)
{
    return report::isBoilerFile(lines) ? report::Calculator::Boiler : report::Calculator::General;
}

void setUpApplication()
{
    // Settings in ~/.config/dalko, data in ~/.local/share/dalko.
    QCoreApplication::setApplicationName(QStringLiteral("dalko"));
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationVersion(QStringLiteral(DALKO_VERSION));
    // Where fontconfig knows no Tahoma, Liberation Sans takes its place: its texts are at most
    // 2 % wider than Tahoma's, so every caption keeps its place in the fixed layouts.
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    QApplication::setFont(font);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(Program::installDir() + QStringLiteral("/dalko.png")));
}

QtTranslation::QtTranslation(const QLocale &locale)
{
    if (QLocale(locale.uiLanguages().value(0)).language() != QLocale::Russian)
        return;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // qt_ru gathers the catalogues of further Qt modules where the system has it.
    for (const char *catalogue : {"qtbase_ru", "qt_ru"}) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QString::fromLatin1(catalogue), folder) &&
            QCoreApplication::installTranslator(translator.get()))
            m_translators.push_back(std::move(translator));
    }
}

// Each translator removes itself from the application as it goes.
QtTranslation::~QtTranslation() = default;

namespace {

// As the user called it: "dalko" or "dalko-calc".
QString programName() { return QFileInfo(QCoreApplication::arguments().value(0)).fileName(); }

} // namespace

int usageError(const QString &message)
{
    printText(stderr, QStringLiteral("%1: %2\nСправка: %1 --help\n").arg(programName(), message));
    return 2;
}

std::optional<int> parseCommandLine(QCommandLineParser &parser, const QStringList &arguments)
{
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        printText(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        printText(stdout, programName() + u' ' + QCoreApplication::applicationVersion() + u'\n');
        return 0;
    }
    // Only process() lists Qt's own options; it prints the help and ends the program.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(arguments);
    return std::nullopt;
}

void printText(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = QString(text).replace(QChar(0), QChar::ReplacementCharacter).toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), stream);
}

} // namespace dalko
