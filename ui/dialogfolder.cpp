#include "dialogfolder.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace dalko {

namespace {

const QString LastFolderKey = QStringLiteral("dialogs/lastFolder");

// ~/.config/dalko/dalko.conf: the program has no organisation, and QSettings' own default
// would put it under "Unknown Organization".
QSettings settings()
{
    return QSettings(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                         QStringLiteral("/dalko.conf"),
                     QSettings::IniFormat);
}

// Sets the dialog's folder as it is shown, so that a folder chosen in another dialog since
// its last use counts.
class FolderOnShow : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            static_cast<QFileDialog *>(watched)->setDirectory(lastDialogFolder());
        return false;
    }
};

} // namespace

QString lastDialogFolder()
{
    const QString folder = settings().value(LastFolderKey).toString();
    // A folder removed or unmounted since is no place to start from.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    return QDir::homePath();
}

void openInLastFolder(QFileDialog *dialog)
{
    dialog->installEventFilter(new FolderOnShow(dialog));
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [](const QString &file) {
        settings().setValue(LastFolderKey, QFileInfo(file).absolutePath());
    });
}

} // namespace dalko
