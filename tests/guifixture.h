#pragma once

// Headless tests on the real windows. Each test gets a fresh program with all seven windows;
// a watcher answers modal boxes and dialogs and records what they said, so that a test that
// expects no error fails when one pops up.

#include "errorbox.h"
#include "program.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include "qstring_print.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class QDate;
class QLineEdit;
class QWidget;

namespace dalko {
class CostPage;
namespace estimate {
class EstimatePreview;
}
} // namespace dalko

namespace dalko::test {

// How the watcher records an error box: its caption, "|", its text.
inline const QString BoxTitle = ApplicationTitle + u'|';

class ModalWatcher {
  public:
    ModalWatcher();
    ~ModalWatcher();

    // The texts of the message boxes seen so far, each answered by its default button (or
    // by `answer` when set).
    QStringList messages;
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    // Where a file dialog is answered: the path to choose, or empty to cancel.
    QString fileToChoose;
    int fileDialogs = 0;
    // Sees each file dialog, open, before it is answered.
    std::function<void(QFileDialog *)> inspectFileDialog;

  private:
    void poll();
    QTimer m_timer;
};

class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Shows a window and waits until it is the active one.
    void activate(QWidget *window);
    // Types text into the focused-or-given widget, character by character, as key events.
    void type(QWidget *widget, const QString &text);
    void click(QWidget *button);
    // Sets the estimate's date, and a fixed rate unless `fixedRate` is empty, in "Параметры
    // сметы" of a last page, as a user does; false when the dialog did not take them.
    bool chooseEstimateTerms(CostPage &page, const QDate &date, const QString &fixedRate = {});
    // The error box texts seen since the last call.
    QStringList takeMessages();
    // Presses "Просмотр сметы…" and runs `inspect` on the preview, which is then closed.
    // False when no preview opened.
    bool withPreview(CostPage *page,
                     const std::function<void(estimate::EstimatePreview &)> &inspect);

    std::unique_ptr<Program> program;
    std::unique_ptr<ModalWatcher> watcher;
};

} // namespace dalko::test
