#pragma once

// The register of estimates: every estimate issued, numbered per calendar year of its date
// ("2026-0001"), with the inputs it was computed from. A SQLite file on the user's machine,
// or one PostgreSQL database that a firm's estimators share.

#include "costrules.h"
#include "reportfile/reportformat.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <functional>

namespace dalko::journal {

struct Record {
    QString number; // "2026-0001"
    QDate date;     // the estimate's own date
    QDateTime issued;
    report::Calculator calculator = report::Calculator::General;
    QString customer;
    QString place;
    QString objects;
    double total = 0;   // the estimate's total, VAT and expertise included
    double vatRate = 0; // a fraction: 0.2 for 20 %
    QString action;     // where it went: the printer or the file
    QByteArray inputs;  // the report file of the calculation, byte for byte
};

// A record of an estimate's calculator, date, texts and amounts as printed; its number, where
// it went and its inputs are filled in as it is issued.
Record estimateRecord(report::Calculator calculator, const QDate &date, const CustomerTexts &first,
                      double total, double vatRate);

// What the register shows: records whose customer, objects or number hold the text (in any
// case), dated within the range (a null date leaves that end open).
struct Filter {
    QString text;
    QDate from;
    QDate to;
};

// What was done with an estimate, as the register shows it.
QString printedOn(const QString &printer);
QString savedAs(const QString &path);

// The journal the user's settings name ("journal=" in dalko.conf): a postgresql:// URL or a
// file; by default journal.sqlite in the user's data folder.
QString defaultLocation();

// The columns of select(), in order.
enum Column { Id, Number, Date, Calculator, Customer, Objects, Total, Action, ColumnCount };

class Journal {
  public:
    // How long a record waits for another one being written at the same moment.
    static constexpr int DefaultLockTimeoutMs = 5000;
    // A journal opened to record is checked in full once per run of the program (that reads
    // all of it); one opened to be looked through only has its header read.
    enum class Use { Record, Browse };

    // Opens the journal at the location (a SQLite file, created where missing, or a
    // postgresql:// URL) and brings its schema up to date. A file that is not a database or
    // fails its integrity check is renamed aside and a new journal started (see notices()).
    // Fails with a message in Russian.
    explicit Journal(const QString &location, Use use = Use::Record,
                     int lockTimeoutMs = DefaultLockTimeoutMs);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // What the user should be told about the opening, in Russian.
    const QStringList &notices() const { return m_notices; }

    // Issues an estimate under the next number of its date's year: in one transaction takes
    // the number, runs `issue` with it (which prints or saves the estimate and says where it
    // went) and stores the record. When `issue` fails, nothing is stored and the number stays
    // free; when storing fails, the estimate is out and the error says why it was not
    // recorded. Gives the record's number.
    QString record(Record record, const std::function<QString(const QString &number)> &issue);

    // The records as the filter selects them, the columns of Column, newest first unless
    // `oldestFirst`.
    QSqlQuery select(const Filter &filter, bool oldestFirst = false) const;
    QList<Record> list(const Filter &filter = {}, bool oldestFirst = false) const;
    // The inputs of the record with this id.
    QByteArray inputs(qint64 id) const;

  private:
    void openFile(const QString &path, Use use);
    void openServer(const QString &url);
    void migrate();
    void switchToWal();
    void begin();
    QString message(const QString &what, const QSqlError &error) const;

    QString m_location;
    QString m_connection;
    QSqlDatabase m_db;
    bool m_server = false;
    int m_lockTimeoutMs;
    int m_version = 0;
    QStringList m_notices;
};

struct Issued {
    QString number;      // empty when the estimate was not recorded
    QStringList notices; // what the user should be told, in Russian
};
// Issues an estimate and records it when the journal allows: the estimate goes out even when
// the journal cannot be opened or written (with an empty number then), and the notices say
// why it was not recorded. Fails only when `issue` does.
Issued issueRecorded(const QString &location, const Record &record,
                     const std::function<QString(const QString &number)> &issue);

} // namespace dalko::journal
