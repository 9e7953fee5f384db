#include "journal.h"

#include "numbers.h"
#include "savefile.h"
#include "settings.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSqlError>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>

#include <atomic>
#include <mutex>
#include <set>
#include <sys/stat.h>

namespace dalko::journal {

namespace {

// The schema this program writes. A journal of a later version is only read.
constexpr int SchemaVersion = 1;
// The key of the advisory lock under which one server journal numbers its estimates.
constexpr int ServerLockKey = 0x64616c6b; // "dalk"

const QString ServerScheme = QStringLiteral("postgresql://");

bool isServer(const QString &location)
{
    return location.startsWith(ServerScheme) || location.startsWith(QStringLiteral("postgres://"));
}

// The statements that bring a journal from version n to n + 1, at index n. A later version
// appends its step here; journals of every earlier version then pass through it in turn.
QStringList migrationStep(int from, bool server)
{
    const QString id = server ? QStringLiteral("BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY")
                              : QStringLiteral("INTEGER PRIMARY KEY");
    const QString blob = server ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
    switch (from) {
    case 0:
        // `search` holds the lower-case texts the register filters on: SQLite's LIKE folds
        // the case of Latin letters only.
        return {QStringLiteral("CREATE TABLE estimates ("
                               "id %1, year INTEGER NOT NULL, serial INTEGER NOT NULL, "
                               "number TEXT NOT NULL UNIQUE, estimate_date TEXT NOT NULL, "
                               "issued TEXT NOT NULL, calculator TEXT NOT NULL, "
                               "customer TEXT NOT NULL, place TEXT NOT NULL, "
                               "objects TEXT NOT NULL, total DOUBLE PRECISION NOT NULL, "
                               "vat_rate DOUBLE PRECISION NOT NULL, action TEXT NOT NULL, "
                               "inputs %2 NOT NULL, search TEXT NOT NULL, "
                               "UNIQUE (year, serial))")
                    .arg(id, blob),
                QStringLiteral("CREATE INDEX estimates_date ON estimates (estimate_date)")};
    }
    return {};
}

QString calculatorName(report::Calculator calculator)
{
    return calculator == report::Calculator::General ? QStringLiteral("general")
                                                     : QStringLiteral("boiler");
}

QString searchText(const Record &record)
{
    return (record.number + u'\n' + record.customer + u'\n' + record.objects).toLower();
}

// A LIKE pattern that finds the text anywhere, its own "%" and "_" taken literally.
QString containsPattern(const QString &text)
{
    QString escaped = text.toLower();
    escaped.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'%', QStringLiteral("\\%"))
        .replace(u'_', QStringLiteral("\\_"));
    return u'%' + escaped + u'%';
}

// SQLite's result codes, as the driver reports them.
int sqliteCode(const QSqlError &error) { return error.nativeErrorCode().toInt() & 0xff; }
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteReadOnly = 8;
constexpr int SqliteIoError = 10;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteFull = 13;
constexpr int SqliteCantOpen = 14;
constexpr int SqliteNotADatabase = 26;

bool damaged(const QSqlError &error)
{
    const int code = sqliteCode(error);
    return code == SqliteCorrupt || code == SqliteNotADatabase;
}

// A file is checked in full once per run of the program, as that reads all of it.
bool firstOpening(const QString &path)
{
    static std::mutex mutex;
    static std::set<QString> checked;
    const std::lock_guard lock(mutex);
    return checked.insert(QFileInfo(path).absoluteFilePath()).second;
}

// "ok", or what is wrong with the file.
QString integrity(QSqlDatabase &db, bool full)
{
    QSqlQuery query(db);
    if (!query.exec(full ? QStringLiteral("PRAGMA integrity_check")
                         : QStringLiteral("PRAGMA user_version")))
        return damaged(query.lastError()) ? query.lastError().databaseText() : QStringLiteral("ok");
    return !full || !query.next() ? QStringLiteral("ok") : query.value(0).toString();
}

// Moves a damaged journal and its companion files out of the way under one free name.
QString renameAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(path, aside))
        throw Error(QStringLiteral("Журнал смет \"%1\" поврежден и не может быть переименован")
                        .arg(QDir::toNativeSeparators(path)));
    for (const char *companion : {"-wal", "-shm"})
        if (QFileInfo::exists(path + QLatin1String(companion)))
            QFile::rename(path + QLatin1String(companion), aside + QLatin1String(companion));
    return aside;
}

// SQLite opens a pipe or a device as it would a file and then fails on it with a misleading disk
// error: only a regular file, or none yet, can be a journal.
void refuseAnythingButAFile(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return;
    QString reason = fileKindReason(status.st_mode);
    if (reason.isEmpty())
        return;
    reason[0] = reason[0].toLower();
    throw Error(QStringLiteral("Журнал смет \"%1\" не открыт: %2")
                    .arg(QDir::toNativeSeparators(path), reason));
}

Record recordOf(const QSqlQuery &query, report::Calculator calculator)
{
    Record record;
    record.number = query.value(QStringLiteral("number")).toString();
    record.date =
        QDate::fromString(query.value(QStringLiteral("estimate_date")).toString(), Qt::ISODate);
    record.issued =
        QDateTime::fromString(query.value(QStringLiteral("issued")).toString(), Qt::ISODate);
    record.calculator = calculator;
    record.customer = query.value(QStringLiteral("customer")).toString();
    record.place = query.value(QStringLiteral("place")).toString();
    record.objects = query.value(QStringLiteral("objects")).toString();
    record.total = query.value(QStringLiteral("total")).toDouble();
    record.vatRate = query.value(QStringLiteral("vat_rate")).toDouble();
    record.action = query.value(QStringLiteral("action")).toString();
    return record;
}

} // namespace

QString printedOn(const QString &printer)
{
    return QStringLiteral("Напечатана на принтере \"%1\"").arg(printer);
}

QString savedAs(const QString &path)
{
    return QStringLiteral("Сохранена в файл \"%1\"")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

QString defaultLocation()
{
    const QSettings settings = appSettings();
    // An unquoted value with a comma reads back as a list.
    const QString configured =
        settings.value(QStringLiteral("journal")).toStringList().join(u',').trimmed();
    if (!configured.isEmpty())
        return configured;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/journal.sqlite");
}

Journal::Journal(const QString &location, Use use, int lockTimeoutMs)
    : m_location(location), m_server(isServer(location)), m_lockTimeoutMs(lockTimeoutMs)
{
    // Messages name the server, never a password written into its address.
    if (m_server)
        m_location = QUrl(location).toDisplayString(QUrl::RemovePassword);
    static std::atomic<int> connections{0};
    m_connection = QStringLiteral("dalko-journal-%1").arg(++connections);
    try {
        if (m_server)
            openServer(location);
        else
            openFile(location, use);
        migrate();
    } catch (...) {
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
        throw;
    }
}

Journal::~Journal()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

QString Journal::message(const QString &what, const QSqlError &error) const
{
    QString reason;
    if (m_server) {
        reason = error.type() == QSqlError::ConnectionError
                     ? QStringLiteral("сервер журнала недоступен или не принял вход. ")
                     : QString();
        reason += error.databaseText().isEmpty() ? error.text() : error.databaseText();
    } else {
        switch (sqliteCode(error)) {
        case SqliteBusy:
        case SqliteLocked:
            reason = QStringLiteral("журнал занят записью другой сметы дольше %1 с")
                         .arg(m_lockTimeoutMs / 1000.0);
            break;
        case SqliteReadOnly:
        case SqliteCantOpen:
            reason = QStringLiteral("файл журнала нельзя открыть для записи (нет прав на папку "
                                    "или файл)");
            break;
        case SqliteFull:
            reason = QStringLiteral("диск заполнен");
            break;
        case SqliteIoError:
            reason = QStringLiteral("ошибка записи на диск (диск заполнен или недоступен)");
            break;
        default:
            reason = error.databaseText().isEmpty() ? error.text() : error.databaseText();
        }
    }
    return QStringLiteral("Журнал смет \"%1\" %2: %3").arg(m_location, what, reason);
}

void Journal::openFile(const QString &path, Use use)
{
    refuseAnythingButAFile(path);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("Журнал смет \"%1\" не открыт: папку \"%2\" нельзя создать")
                        .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(folder)));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_lockTimeoutMs));
    if (!m_db.open())
        throw Error(message(QStringLiteral("не открыт"), m_db.lastError()));
    if (QFileInfo(path).size() == 0)
        return;
    const QString verdict = integrity(m_db, use == Use::Record && firstOpening(path));
    if (verdict == u"ok")
        return;
    m_db.close();
    const QString aside = renameAside(path);
    m_notices << QStringLiteral("Файл журнала смет \"%1\" поврежден (%2) и переименован в "
                                "\"%3\"; начат новый журнал")
                     .arg(QDir::toNativeSeparators(path), verdict.section(u'\n', 0, 0),
                          QDir::toNativeSeparators(aside));
    if (!m_db.open())
        throw Error(message(QStringLiteral("не открыт"), m_db.lastError()));
}

void Journal::openServer(const QString &location)
{
    const QUrl url(location);
    if (!url.isValid() || url.path().size() < 2)
        throw Error(QStringLiteral("Журнал смет \"%1\": ожидается адрес вида "
                                   "postgresql://пользователь@сервер/база")
                        .arg(location));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    const QUrlQuery query(url);
    // libpq takes a folder as the host for a local socket (?host=/run/postgresql).
    m_db.setHostName(query.hasQueryItem(QStringLiteral("host"))
                         ? query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded)
                         : url.host());
    if (url.port() > 0)
        m_db.setPort(url.port());
    m_db.setDatabaseName(url.path().mid(1));
    m_db.setUserName(url.userName());
    // Without a password in the URL libpq looks in PGPASSWORD and ~/.pgpass.
    m_db.setPassword(url.password());
    m_db.setConnectOptions(
        QStringLiteral("connect_timeout=%1").arg(qMax(1, m_lockTimeoutMs / 1000)));
    if (!m_db.open())
        throw Error(message(QStringLiteral("не открыт"), m_db.lastError()));
    QSqlQuery(m_db).exec(QStringLiteral("SET lock_timeout = %1").arg(m_lockTimeoutMs));
}

void Journal::begin()
{
    QSqlQuery query(m_db);
    if (!query.exec(m_server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")))
        throw Error(message(QStringLiteral("не записан"), query.lastError()));
}

// Turning a new file to WAL needs the file to itself for a moment, and SQLite refuses at once
// rather than wait for that: estimators opening the same new file together are waited out here.
void Journal::switchToWal()
{
    const QDeadlineTimer deadline(m_lockTimeoutMs);
    QSqlQuery query(m_db);
    while (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) {
        const int code = sqliteCode(query.lastError());
        if ((code != SqliteBusy && code != SqliteLocked) || deadline.hasExpired())
            throw Error(message(QStringLiteral("не открыт"), query.lastError()));
        QThread::msleep(10);
    }
}

void Journal::migrate()
{
    QSqlQuery query(m_db);
    // Each statement is finished at once: one left open keeps its read transaction, which
    // BEGIN IMMEDIATE then cannot upgrade once another writer has committed, and SQLite
    // refuses at once instead of waiting for the lock.
    auto run = [&](const QString &statement) {
        if (!query.exec(statement)) {
            const QSqlError error = query.lastError();
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
            throw Error(message(QStringLiteral("не открыт"), error));
        }
        const QVariant first = query.next() ? query.value(0) : QVariant();
        query.finish();
        return first;
    };
    auto version = [&] {
        return run(m_server ? QStringLiteral("SELECT version FROM journal_schema")
                            : QStringLiteral("PRAGMA user_version"))
            .toInt();
    };
    if (!m_server) {
        // Readers never wait for the writer, and a killed writer leaves no half record.
        m_version = version();
        if (m_version >= SchemaVersion)
            return;
        switchToWal();
    }
    begin();
    if (m_server) {
        run(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(ServerLockKey));
        run(QStringLiteral("CREATE TABLE IF NOT EXISTS journal_schema (version INTEGER NOT NULL)"));
    }
    m_version = version();
    if (m_version > SchemaVersion) {
        run(QStringLiteral("ROLLBACK"));
        return;
    }
    for (int from = m_version; from < SchemaVersion; ++from)
        for (const QString &statement : migrationStep(from, m_server))
            run(statement);
    if (m_version < SchemaVersion) {
        if (m_server)
            run(m_version == 0
                    ? QStringLiteral("INSERT INTO journal_schema (version) VALUES (%1)")
                          .arg(SchemaVersion)
                    : QStringLiteral("UPDATE journal_schema SET version = %1").arg(SchemaVersion));
        else
            run(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
    }
    run(QStringLiteral("COMMIT"));
    m_version = SchemaVersion;
}

QString Journal::record(Record record, const std::function<QString(const QString &number)> &issue)
{
    if (m_version > SchemaVersion)
        throw Error(QStringLiteral("Журнал смет \"%1\" создан более новой версией программы "
                                   "(версия %2, эта программа знает версию %3) и не изменяется")
                        .arg(m_location)
                        .arg(m_version)
                        .arg(SchemaVersion));
    begin();
    QSqlQuery query(m_db);
    auto fail = [&](const QSqlError &error) {
        const QString text = message(QStringLiteral("не записан"), error);
        query.finish();
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        throw Error(text);
    };
    const int year = record.date.year();
    if (m_server &&
        !query.exec(
            QStringLiteral("SELECT pg_advisory_xact_lock(%1, %2)").arg(ServerLockKey).arg(year)))
        fail(query.lastError());
    query.prepare(
        QStringLiteral("SELECT COALESCE(MAX(serial), 0) + 1 FROM estimates WHERE year = ?"));
    query.addBindValue(year);
    if (!query.exec() || !query.next())
        fail(query.lastError());
    const int serial = query.value(0).toInt();
    query.finish();
    record.number = QStringLiteral("%1-%2").arg(year).arg(serial, 4, 10, QChar(u'0'));
    try {
        record.action = issue(record.number);
    } catch (...) {
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    record.issued = QDateTime::currentDateTime();
    query.prepare(QStringLiteral(
        "INSERT INTO estimates (year, serial, number, estimate_date, issued, calculator, "
        "customer, place, objects, total, vat_rate, action, inputs, search) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant &value :
         {QVariant(year), QVariant(serial), QVariant(record.number),
          QVariant(record.date.toString(Qt::ISODate)),
          QVariant(record.issued.toString(Qt::ISODate)),
          QVariant(calculatorName(record.calculator)), QVariant(record.customer),
          QVariant(record.place), QVariant(record.objects), QVariant(record.total),
          QVariant(record.vatRate), QVariant(record.action), QVariant(record.inputs),
          QVariant(searchText(record))})
        query.addBindValue(value);
    if (!query.exec())
        fail(query.lastError());
    if (!query.exec(QStringLiteral("COMMIT")))
        fail(query.lastError());
    return record.number;
}

QSqlQuery Journal::select(const Filter &filter, bool oldestFirst) const
{
    QStringList conditions;
    QVariantList values;
    if (!filter.text.isEmpty()) {
        conditions << QStringLiteral("search LIKE ? ESCAPE '\\'");
        values << containsPattern(filter.text);
    }
    if (filter.from.isValid()) {
        conditions << QStringLiteral("estimate_date >= ?");
        values << filter.from.toString(Qt::ISODate);
    }
    if (filter.to.isValid()) {
        conditions << QStringLiteral("estimate_date <= ?");
        values << filter.to.toString(Qt::ISODate);
    }
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT id, number, estimate_date, calculator, customer, objects, "
                                 "total, action, place, vat_rate, issued FROM estimates%1 "
                                 "ORDER BY id %2")
                      .arg(conditions.isEmpty() ? QString()
                                                : QStringLiteral(" WHERE ") +
                                                      conditions.join(QStringLiteral(" AND ")),
                           oldestFirst ? QStringLiteral("ASC") : QStringLiteral("DESC")));
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw Error(message(QStringLiteral("не прочитан"), query.lastError()));
    return query;
}

QList<Record> Journal::list(const Filter &filter, bool oldestFirst) const
{
    QSqlQuery query = select(filter, oldestFirst);
    QList<Record> records;
    while (query.next())
        records << recordOf(query, query.value(Calculator).toString() == u"boiler"
                                       ? report::Calculator::Boiler
                                       : report::Calculator::General);
    return records;
}

QByteArray Journal::inputs(qint64 id) const
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT inputs FROM estimates WHERE id = ?"));
    query.addBindValue(id);
    if (!query.exec() || !query.next())
        throw Error(message(QStringLiteral("не прочитан"), query.lastError()));
    return query.value(0).toByteArray();
}

Issued issueRecorded(const QString &location, const Record &record,
                     const std::function<QString(const QString &number)> &issue)
{
    Issued result;
    QStringList &said = result.notices;
    auto withoutNumber = [&](const Error &why) {
        issue(QString());
        said << QStringLiteral("Смета выдана без номера и не записана в журнал смет. %1")
                    .arg(errorBoxText(why.message()));
    };
    std::unique_ptr<Journal> journal;
    try {
        journal = std::make_unique<Journal>(location);
    } catch (const Error &error) {
        withoutNumber(error);
        return result;
    }
    said << journal->notices();
    bool started = false;
    bool issued = false;
    try {
        result.number = journal->record(record, [&](const QString &number) {
            started = true;
            const QString action = issue(number);
            issued = true;
            return action;
        });
    } catch (const Error &error) {
        if (started && !issued)
            throw;
        if (issued)
            said << QStringLiteral("Смета выдана, но не записана в журнал смет. %1")
                        .arg(errorBoxText(error.message()));
        else
            withoutNumber(error);
    }
    return result;
}

Record estimateRecord(report::Calculator calculator, const QDate &date, const CustomerTexts &first,
                      double total, double vatRate)
{
    Record record;
    record.calculator = calculator;
    record.date = date;
    record.customer = first.customer;
    record.place = first.place;
    record.objects = first.objects;
    record.total = total;
    record.vatRate = vatRate;
    return record;
}

} // namespace dalko::journal
