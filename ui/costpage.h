#pragma once

// The last page of either calculator: its cost, "Печать сметы", "Сохранить файл отчета",
// "Назад" and "Выход" along the bottom edge, and the save dialog of its report files.

#include "controls.h"
#include "window.h"

#include "estimate/filler.h"
#include "reportbinding.h"

#include "journal/journal.h"

#include <functional>
#include <memory>
#include <optional>

class QFileDialog;
class QLabel;
class QPushButton;

namespace dalko {

class CostPage : public Page {
    Q_OBJECT
  public:
    struct Kind {
        report::Calculator calculator;
        QString templateName;
        int titleX;
        int saveButtonX;
        FontSpec largeButtonFont;
        Place vatCaption;  // beside the VAT list, in the cost group
        Place termsButton; // "Параметры сметы…", in the cost group
    };
    CostPage(Session &session, const Kind &kind);

    void Button1Click(); // "Печать сметы"
    void Button5Click(); // "Просмотр сметы…"
    void Button6Click(); // "Параметры сметы…"
    // The estimate's replacements from the current quantities and texts.
    virtual QList<estimate::Replacement> estimateReplacements() const = 0;
    // Every line of this calculator's report files, from the first page to this one.
    virtual report::BoundLines reportBindings() = 0;
    // The lines "Сохранить файл отчета" writes for the calculation on the pages.
    QStringList reportLines();
    // Runs once a report file has been assigned to the pages.
    virtual void reportLoaded() {}
    // What the register of estimates keeps of the estimate: its date, the texts and amounts
    // as printed, and the inputs as "Сохранить файл отчета" writes them.
    journal::Record estimateRecord();

    QPushButton *Button1; // "Печать сметы"
    QPushButton *Button4; // "Сохранить файл отчета"
    QPushButton *Button2; // "Назад"
    QPushButton *Button3; // "Выход"
    QPushButton *Button5; // "Просмотр сметы…"
    QPushButton *Button6; // "Параметры сметы…"
    QLabel *VatCaption;   // the VAT rate in use and the estimate's date
    QPushButton *Button7; // "Журнал смет"
    QFileDialog *SaveDialog1;

  protected:
    // The record's date, texts and amounts.
    virtual journal::Record journalRecord() const = 0;
    // The rate's caption and the terms' button go in the page's cost group.
    void addEstimateTerms(QWidget *costGroup);
    // The lists of expertise and VAT beside the cost share one caption; each gets its own
    // accessible name.
    static void nameCostOptions(QWidget *expertise, QWidget *vat);
    // Runs the recomputation of the cost and remembers whether it completed: an estimate is
    // formed only from the amounts of a completed one, never from a mix of old and new.
    void recompute(const std::function<void()> &steps);

  private:
    void Button4Click();
    void showVatCaption();
    // An estimate not dated on purpose bears the day it is formed: a program left open
    // overnight computes the cost again with the new day's date and rate first.
    void formToday();
    // Fails, naming the failed step, unless the last recomputation completed.
    void requireCompleteCalculation() const;
    // Once the estimate has gone out: which of its values the template left out.
    void warnOfMissing(const QStringList &missing);
    // Issues the estimate through `output` (which prints or saves it with the number given
    // and says where it went), recorded in the register; fails after the estimate is out when
    // the register has something to tell.
    void issue(const std::function<QString(const QString &number)> &output);
    // Fills the estimate with these replacements, numbered; gives the placeholders the
    // template lacks.
    QStringList fillEstimate(estimate::DocumentFiller &filler,
                             const QList<estimate::Replacement> &replacements,
                             const QString &number) const;
    QString templatePath() const;

    Kind m_kind;
    std::optional<QString> m_failure = QStringLiteral("Расчет стоимости еще не выполнен");
};

} // namespace dalko
