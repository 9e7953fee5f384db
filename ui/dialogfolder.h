#pragma once

// The file dialogs open in the folder where a file was last chosen, in this run or an earlier
// one, and in the home folder the first time: never in the folder the program was started
// from, which is rarely where report files lie.

class QFileDialog;
class QString;

namespace dalko {

// The folder a file dialog opens in now.
QString lastDialogFolder();
// Makes the dialog open in the last folder each time it is shown and remember the folder of
// the file chosen in it, and leave nothing of it on screen once it closes (the suggestions
// of a name typed and confirmed with Enter would otherwise float over the window).
void setUpFileDialog(QFileDialog *dialog);

} // namespace dalko
