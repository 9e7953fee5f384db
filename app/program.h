#pragma once

// The program block: the seven windows, each a single instance created at start-up in a fixed
// order, and what they share. Each page is handed what it reads as it is built; the windows
// are reached from outside only through the accessors below.

#include "session.h"

#include "reportfile/reportformat.h"

#include <memory>

namespace dalko {

class TLogo_F;
class TProg_FL2;
class TProg_F;
class TProg_F2;
class TProg_F3;
class TT_F1;
class TT_F2;
class CostPage;

struct Program : Session {
    Program();
    ~Program();

    // Creates the windows, each hidden, each running its FormCreate.
    void createWindows();
    // Shows the splash at the centre of the desktop. When its time is up, the choice screen
    // follows; with a report file, the first page of that file's calculator instead, the file
    // loaded as "Загрузить данные" loads it.
    void start(const QString &reportFile = QString());
    // Loads the report file given at start, if any; the window that follows the splash.
    QWidget *screenAfterSplash();
    void endProgram() override;
    void openJournal(QWidget *parent) override;

    // The last page of a calculator, which binds the lines of its report files.
    CostPage &lastPage(report::Calculator calculator) const;
    QStringList reportLines(report::Calculator calculator) const;
    // Assigns the lines of a report file to the pages, as "Загрузить данные" does; the notes
    // on lines not taken as written (report::assign).
    QStringList loadReport(report::Calculator calculator, const QStringList &lines) override;

    dalko::TLogo_F &TLogo_F() const { return *m_logo; } // the main window
    dalko::TProg_F &TProg_F() const { return *m_customer; }
    dalko::TProg_F2 &TProg_F2() const { return *m_consumption; }
    dalko::TProg_F3 &TProg_F3() const { return *m_cost; }
    dalko::TProg_FL2 &TProg_FL2() const { return *m_choice; }
    dalko::TT_F1 &TT_F1() const { return *m_boilerCustomer; }
    dalko::TT_F2 &TT_F2() const { return *m_boilerCost; }

  private:
    // Destroyed in the reverse order of their creation.
    std::unique_ptr<dalko::TLogo_F> m_logo;
    std::unique_ptr<dalko::TProg_F> m_customer;
    std::unique_ptr<dalko::TProg_F2> m_consumption;
    std::unique_ptr<dalko::TProg_F3> m_cost;
    std::unique_ptr<dalko::TProg_FL2> m_choice;
    std::unique_ptr<dalko::TT_F1> m_boilerCustomer;
    std::unique_ptr<dalko::TT_F2> m_boilerCost;
    QString m_reportAtStart;
};

} // namespace dalko
