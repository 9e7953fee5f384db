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
#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace dalko::journal {

// A number is reserved before its estimate goes out and is never given again: the estimate is
// then confirmed as issued, or the number marked void when issuing failed. A number that stays
// reserved (the program was killed, the journal failed at the end) shows as unconfirmed.
enum class State { Reserved, Issued, Void };

struct Record {
    qint64 id = 0;
    QString number; // "2026-0001"
    State state = State::Issued;
    QDate date; // the estimate's own date
    QDateTime issued;
    report::Calculator calculator = report::Calculator::General;
    QString customer;
    QString place;
    QString objects;
    double total = 0;   // the estimate's total, VAT and expertise included, to the kopeck
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
// The state as the journal stores it ("issued"); an unknown name reads as unconfirmed.
State stateNamed(const QString &name);
// The state as the register shows it: "выдана", "аннулирована", "не подтверждена".
QString stateTitle(State state);

// An amount of the register as money: "118 350,13".
QString moneyText(double amount, QChar decimal);

// The journal the user's settings name ("journal=" in dalko.conf): a postgresql:// URL or a
// file, a relative one taken from the settings file's folder and "~/" as the home folder; by
// default journal.sqlite in the user's data folder.
QString defaultLocation();

// Why the file cannot be a journal (it exists and is not a SQLite database); empty when it can.
QString notAJournal(const QString &location);

// The columns of select(), in order.
enum Column { Id, Number, Date, Calculator, Customer, Objects, Total, Status, Action, ColumnCount };

class Journal {
  public:
    // How long a record waits for another one being written at the same moment.
    static constexpr int DefaultLockTimeoutMs = 5000;
    // A journal opened to record is checked in full once per run of the program (that reads
    // all of it); one opened to be looked through only has its header read.
    enum class Use { Record, Browse };

    // Opens the journal at the location (a SQLite file, created private where missing, or a
    // postgresql:// URL) and brings its schema up to date. Opened to record, a damaged file is
    // repaired or its readable records carried into a new one, numbering going on after the
    // highest number still read (see notices()); nothing is ever set aside when browsing.
    // Fails with a message in Russian.
    explicit Journal(const QString &location, Use use = Use::Record,
                     int lockTimeoutMs = DefaultLockTimeoutMs);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // What the user should be told about the opening, in Russian.
    const QStringList &notices() const { return m_notices; }

    // Reserves the next number of the record's year and stores the record as reserved, in a
    // transaction of its own that is committed before anything bears the number. Gives the
    // record with its id and number.
    Record reserve(Record record);
    // Marks a reserved record issued (with where it went) or void; also the register's window
    // settling an unconfirmed number.
    void settle(qint64 id, State state, const QString &action = QString());

    // Issues an estimate under a reserved number: reserves it, runs `issue` with it (which
    // prints or saves the estimate and says where it went) and confirms it. When `issue`
    // fails, the number is marked void; when the confirmation fails, the number stays
    // reserved and the error says so. Gives the record's number.
    QString record(Record record, const std::function<QString(const QString &number)> &issue);

    // The records as the filter selects them, the columns of Column, newest first unless
    // `oldestFirst`.
    QSqlQuery select(const Filter &filter, bool oldestFirst = false,
                     bool forwardOnly = false) const;
    QList<Record> list(const Filter &filter = {}, bool oldestFirst = false) const;
    // Each record as it is read, without holding them all.
    void forEach(const Filter &filter, bool oldestFirst,
                 const std::function<void(const Record &)> &take) const;
    // The inputs of the record with this id.
    QByteArray inputs(qint64 id) const;

  private:
    void openFile(const QString &path, Use use);
    void openSqlite(const QString &path);
    void openServer(const QString &url);
    QStringList serverOptions(const QUrl &url) const;
    QVariant run(const QString &statement);
    int readVersion();
    void migrate();
    Record reserveOnce(Record record);
    void insert(QSqlQuery &query, Record &record, int serial);
    void storeNumbering(const QMap<int, int> &lastSerial);
    void storeRow(const QSqlRecord &row);
    void switchToWal();
    void checkIntegrity(const QString &path);
    void repair(const QString &path, const QString &verdict);
    void continueAfterDamagedCopies(const QString &path);
    void begin();
    void refuseNewerSchema() const;
    void exec(QSqlQuery &query, const QString &what) const;
    QString message(const QString &what, const QSqlError &error) const;

    QString m_location;
    QString m_connection;
    QSqlDatabase m_db;
    bool m_server = false;
    mutable bool m_damageSeen = false; // SQLite reported a damaged file
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
