#include "application.h"

#include "version.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace dalko {

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
    QApplication::setWindowIcon(
        QIcon(QCoreApplication::applicationDirPath() + QStringLiteral("/dalko.png")));
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

} // namespace dalko
