#include "program.h"

#include "Logo_U.h"
#include "Prog_UL2.h"
#include "boiler/T_U1.h"
#include "boiler/T_U2.h"
#include "general/Prog_U.h"
#include "general/Prog_U2.h"
#include "general/Prog_U3.h"
#include "reportfile/reportbinding.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLocale>

namespace dalko {

Program::Program() : regional(NumberFormat::fromLocale(QLocale::system())) {}

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
    report::assign(lastPage(calculator).reportBindings(), calculator, lines, regional.decimal,
                   errors);
}

QString Program::installDir() { return QCoreApplication::applicationDirPath(); }

QPixmap Program::picture(const QString &fileName) const
{
    return QPixmap(installDir() + u'/' + fileName);
}

void setUpApplication()
{
    // Tahoma comes with Debian's fonts-wine, in a folder that fontconfig does not search.
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    QApplication::setFont(font);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(Program::installDir() + QStringLiteral("/dalko.png")));
}

} // namespace dalko
