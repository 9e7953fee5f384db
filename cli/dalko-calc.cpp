// dalko-calc: the calculation of a report file without a window. It creates the windows as
// the program does (headless), loads the file through the report-file loader, does what
// showing the last page of its calculator does, and prints the quantities and the estimate's
// replacements.

#include "app/Logo_U.h"
#include "app/program.h"
#include "boiler/T_U2.h"
#include "estimate/boilerestimate.h"
#include "estimate/estimateprint.h"
#include "estimate/generalestimate.h"
#include "general/Prog_U2.h"
#include "general/Prog_U3.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace {

using namespace dalko;

const char Usage[] =
    "Использование: dalko-calc [--kind general|boiler] [--pdf OUT.pdf] [--print] [--save OUT.rvj] "
    "FILE.rvj\n"
    "\n"
    "Пересчитывает файл отчета и печатает величины расчета и подстановки сметы.\n"
    "  --kind general|boiler  вид расчета (по умолчанию определяется по строке 8 файла)\n"
    "  --pdf OUT.pdf          записать заполненную смету в PDF\n"
    "  --print                напечатать смету на принтере по умолчанию\n"
    "  --save OUT.rvj         записать файл отчета под этим именем\n"
    "  --help                 эта справка\n";

struct Options {
    QString file;
    std::optional<report::Calculator> kind;
    QString pdf;
    QString save;
    bool print = false;
};

// nullopt with a usage error; exits for --help.
std::optional<Options> parseArguments(const QStringList &args)
{
    Options options;
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == u"--help") {
            std::fputs(Usage, stdout);
            std::exit(0);
        } else if (arg == u"--print") {
            options.print = true;
        } else if (arg == u"--kind" && hasValue &&
                   (args[i + 1] == u"general" || args[i + 1] == u"boiler")) {
            options.kind =
                args[++i] == u"general" ? report::Calculator::General : report::Calculator::Boiler;
        } else if (arg == u"--pdf" && hasValue) {
            options.pdf = args[++i];
        } else if (arg == u"--save" && hasValue) {
            options.save = args[++i];
        } else if (!arg.startsWith(u"--") && options.file.isEmpty()) {
            options.file = arg;
        } else {
            return std::nullopt;
        }
    }
    if (options.file.isEmpty())
        return std::nullopt;
    return options;
}

void printLine(const QString &name, const QString &value)
{
    std::fputs((name + u'\t' + value + u'\n').toUtf8().constData(), stdout);
}

void printQuantities(const Program &program, report::Calculator kind)
{
    const QChar d = program.regional.decimal;
    auto number = [&](const char *name, double value) {
        printLine(QString::fromLatin1(name), numberToText(value, d));
    };
    if (kind == report::Calculator::General) {
        const TProg_F2 &f2 = *program.TProg_F2;
        for (int n = 0; n < general::ResourceCount; ++n)
            printLine(QStringLiteral("ReferenceFuel%1").arg(n + 1),
                      numberToText(f2.ReferenceFuel[n], d));
        number("ReferenceFuelTotal", f2.ReferenceFuelTotal);
        number("BaseNorm", f2.BaseNorm);
        const general::CostQuantities &q = program.TProg_F3->quantities;
        for (auto [name, value] : {std::pair{"IndustryCoef", q.IndustryCoef},
                                   {"LocationCoef", q.LocationCoef},
                                   {"MeteringCoef", q.MeteringCoef},
                                   {"VatRate", q.VatRate},
                                   {"HourlyWage", q.HourlyWage},
                                   {"LabourCost", q.LabourCost},
                                   {"OverheadSum", q.OverheadSum},
                                   {"ProfitSum", q.ProfitSum},
                                   {"SubtotalCost", q.SubtotalCost},
                                   {"RegionalSum", q.RegionalSum},
                                   {"VatSum", q.VatSum},
                                   {"CostWithVat", q.CostWithVat},
                                   {"ExpertiseRate", q.ExpertiseRate},
                                   {"ExpertiseSum", q.ExpertiseSum}})
            number(name, value);
        printLine(QStringLiteral("Label7"), program.TProg_F3->Label7->text());
        printLine(QStringLiteral("Label11"), program.TProg_F3->Label11->text());
        return;
    }
    const boiler::Quantities &q = program.TT_F2->quantities;
    for (auto [name, value] : {std::pair{"BoilerNorm", q.BoilerNorm},
                               {"DiagBoilersCoef", q.DiagBoilersCoef},
                               {"CapacityCoef", q.CapacityCoef},
                               {"BoilerKindCoef", q.BoilerKindCoef},
                               {"FuelCoef", q.FuelCoef},
                               {"DiagNorm", q.DiagNorm},
                               {"HourlyWage", q.HourlyWage},
                               {"LabourCost", q.LabourCost},
                               {"OverheadSum", q.OverheadSum},
                               {"ProfitSum", q.ProfitSum},
                               {"RegionalSum", q.RegionalSum},
                               {"CostNoVat", q.CostNoVat},
                               {"VatRate", q.VatRate},
                               {"VatSum", q.VatSum},
                               {"CostWithVat", q.CostWithVat},
                               {"ExpertiseRate", q.ExpertiseRate},
                               {"ExpertiseSum", q.ExpertiseSum},
                               {"TotalCost", q.TotalCost}})
        number(name, value);
    printLine(QStringLiteral("Label11"), program.TT_F2->Label11->text());
}

// Runs one step as a handler of the program would; false when it failed.
bool step(Program &program, bool &failed, const std::function<void()> &action)
{
    const bool before = failed;
    program.errors.run(action);
    return failed == before;
}

int run(Program &program, const Options &options)
{
    bool failed = false;
    program.errors.setSink([&failed](const QString &text) {
        failed = true;
        std::fputs((text + u'\n').toUtf8().constData(), stderr);
    });
    QStringList lines;
    if (!step(program, failed, [&] { lines = report::readFile(options.file); }))
        return 1;
    const report::Calculator kind = options.kind.value_or(
        report::isBoilerFile(lines) ? report::Calculator::Boiler : report::Calculator::General);
    if (!step(program, failed, [&] { program.loadReport(kind, lines); }))
        return 1;
    const bool general = kind == report::Calculator::General;
    const bool computed = general
                              ? step(program, failed, [&] { program.TProg_F2->FormActivate(); }) &&
                                    step(program, failed, [&] { program.TProg_F3->FormActivate(); })
                              : step(program, failed, [&] { program.TT_F2->FormActivate(); });
    printQuantities(program, kind);
    if (computed) {
        QList<estimate::Replacement> replacements;
        const QString templatePath =
            Program::installDir() + u'/' +
            (general ? estimate::GeneralTemplate : estimate::BoilerTemplate);
        if (step(program, failed, [&] {
                replacements = general ? program.TProg_F3->estimateReplacements()
                                       : program.TT_F2->estimateReplacements();
            })) {
            for (const estimate::Replacement &r : replacements)
                printLine(r.placeholder, r.value);
            if (!options.pdf.isEmpty())
                step(program, failed,
                     [&] { estimate::writeEstimatePdf(templatePath, replacements, options.pdf); });
            if (options.print)
                step(program, failed, [&] { estimate::printEstimate(templatePath, replacements); });
        }
    }
    if (!options.save.isEmpty())
        step(program, failed, [&] { report::writeFile(options.save, program.reportLines(kind)); });
    return failed ? 1 : 0;
}

} // namespace

// Standard error carries only what the error box would show.
void dropQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fputs((message + u'\n').toUtf8().constData(), stderr);
}

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const std::optional<Options> options = parseArguments(args);
    if (!options) {
        std::fputs(Usage, stderr);
        return 2;
    }
    // The windows are made as the program makes them, but never shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropQtMessages);
    QApplication app(argc, argv);
    setUpApplication();
    Program program;
    program.createWindows();
    program.TLogo_F->Timer1->stop();
    return run(program, *options);
}
