#pragma once

// The last page of either calculator: its cost, "Печать сметы", "Сохранить файл отчета",
// "Назад" and "Выход" along the bottom edge, and the save dialog of its report files.

#include "controls.h"
#include "window.h"

#include "estimate/filler.h"
#include "reportfile/reportbinding.h"

class QFileDialog;
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
    };
    CostPage(Program &program, const Kind &kind);

    void Button1Click(); // "Печать сметы"
    // The estimate's replacements from the current quantities and texts.
    virtual QList<estimate::Replacement> estimateReplacements() const = 0;
    // Every line of this calculator's report files, from the first page to this one.
    virtual report::BoundLines reportBindings() = 0;

    QPushButton *Button1; // "Печать сметы"
    QPushButton *Button4; // "Сохранить файл отчета"
    QPushButton *Button2; // "Назад"
    QPushButton *Button3; // "Выход"
    QFileDialog *SaveDialog1;

  protected:
    virtual QWidget *previousPage() const = 0;
    // The lists of expertise and VAT beside the cost share one caption; each gets its own
    // accessible name.
    static void nameCostOptions(QWidget *expertise, QWidget *vat);

  private:
    void Button4Click();

    Kind m_kind;
};

} // namespace dalko
