#include "guifixture.h"
#include "worked_examples.h"

#include "Logo_U.h"
#include "costpage.h"
#include "estimatepreview.h"
#include "estimatetermsdialog.h"
#include "window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace dalko::test {

namespace {
constexpr char Answering[] = "dalkoTestAnswering";
} // namespace

ModalWatcher::ModalWatcher()
{
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start();
}

ModalWatcher::~ModalWatcher() { m_timer.stop(); }

void ModalWatcher::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        messages << box->windowTitle() + u'|' + box->text();
        if (answer != QMessageBox::NoButton && box->button(answer))
            box->button(answer)->click();
        else
            box->done(box->defaultButton() ? box->standardButton(box->defaultButton())
                                           : QMessageBox::Ok);
    } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
        if (dialog->property(Answering).toBool())
            return;
        ++fileDialogs;
        if (inspectFileDialog)
            inspectFileDialog(dialog);
        if (!dialog->isVisible()) // answered by the inspection
            return;
        if (fileToChoose.isEmpty()) {
            dialog->reject();
        } else {
            // As a user does: type the path into the name box.
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            // The file chosen last time is still selected in the list; a user typing a new
            // name replaces it.
            for (auto *view : dialog->findChildren<QAbstractItemView *>())
                view->clearSelection();
            name->setText(fileToChoose);
            // Accepted outside this poll, so that a question the dialog asks before it closes
            // (whether to replace a file) is seen and answered by the next one.
            dialog->setProperty(Answering, true);
            QTimer::singleShot(0, dialog, [dialog] {
                static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides accept()
                dialog->setProperty(Answering, false);
            });
        }
    }
}

void GuiTest::SetUp()
{
    watcher = std::make_unique<ModalWatcher>();
    program = std::make_unique<Program>();
    // The method's worked examples are dated in the years of its 18 %: no test depends on the
    // day it runs.
    program->estimateTerms = {
        .date = MethodDate, .fixedVatPercent = std::nullopt, .dateChosen = true};
    program->createWindows();
    program->TLogo_F().Timer1->stop();
}

void GuiTest::TearDown()
{
    if (!watcher) // skipped before SetUp
        return;
    program.reset();
    EXPECT_TRUE(takeMessages().isEmpty()) << "unexpected message boxes";
    watcher.reset();
}

void GuiTest::activate(QWidget *window)
{
    present(window);
    // An error box raised by the window's FormActivate takes the activation over.
    const bool activated =
        QTest::qWaitFor([&] { return window->isActiveWindow() || !watcher->messages.isEmpty(); });
    ASSERT_TRUE(activated);
}

void GuiTest::type(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        // QTest::keyClicks cannot type Cyrillic; plain key events can.
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

void GuiTest::click(QWidget *button) { QTest::mouseClick(button, Qt::LeftButton); }

bool GuiTest::chooseEstimateTerms(CostPage &page, const QDate &date, const QString &fixedRate)
{
    bool taken = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<EstimateTermsDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->DateEdit->setDate(date);
        if (fixedRate.isEmpty()) {
            click(dialog->ByLawButton);
        } else {
            click(dialog->FixedButton);
            dialog->FixedRateEdit->setText(fixedRate);
        }
        dialog->accept();
        taken = !dialog->isVisible();
        if (!taken)
            dialog->reject();
    });
    click(page.Button6);
    return taken;
}

QStringList GuiTest::takeMessages()
{
    QApplication::processEvents();
    QTest::qWait(60); // let the watcher answer a box that is still opening
    QStringList seen = watcher->messages;
    watcher->messages.clear();
    return seen;
}

bool GuiTest::withPreview(CostPage *page,
                          const std::function<void(estimate::EstimatePreview &)> &inspect)
{
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto *preview =
            qobject_cast<estimate::EstimatePreview *>(QApplication::activeModalWidget());
        if (!preview)
            return;
        opened = true;
        inspect(*preview);
        preview->reject();
    });
    click(page->Button5);
    return opened;
}

} // namespace dalko::test
