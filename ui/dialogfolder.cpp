#include "dialogfolder.h"

#include "settings.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>

namespace dalko {

namespace {

const QString LastFolderKey = QStringLiteral("dialogs/lastFolder");

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
    const QString folder = appSettings().value(LastFolderKey).toString();
    // A folder removed or unmounted since is no place to start from.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    return QDir::homePath();
}

void setUpFileDialog(QFileDialog *dialog)
{
    dialog->installEventFilter(new FolderOnShow(dialog));
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [](const QString &file) {
        appSettings().setValue(LastFolderKey, QFileInfo(file).absolutePath());
    });
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog] {
        for (QCompleter *completer : dialog->findChildren<QCompleter *>())
            completer->popup()->hide();
    });
}

} // namespace dalko
