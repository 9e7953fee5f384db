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

#include <QSqlRecord>

#include <atomic>
#include <cmath>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dalko::journal {

namespace {

// The schema this program writes. A journal of a later version is only read.
constexpr int SchemaVersion = 2;
// The key of the advisory lock under which one server journal numbers its estimates.
constexpr int ServerLockKey = 0x64616c6b; // "dalk"

const QString ServerScheme = QStringLiteral("postgresql://");

bool isServer(const QString &location)
{
    return location.startsWith(ServerScheme) || location.startsWith(QStringLiteral("postgres://"));
}

// The last serial given in each year, kept apart from the records: a page of records lost to
// damage never lowers it, and no number is ever given twice.
const QString NumberingTable = QStringLiteral(
    "CREATE TABLE numbering (year INTEGER PRIMARY KEY, last_serial INTEGER NOT NULL)");
const QString FillNumbering = QStringLiteral("INSERT INTO numbering (year, last_serial) SELECT "
                                             "year, MAX(serial) FROM estimates GROUP BY year");

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
    case 1:
        return server ? QStringList{
                            // Amounts exact to the kopeck; every earlier record was issued.
                            QStringLiteral("ALTER TABLE estimates ALTER COLUMN total TYPE "
                                           "NUMERIC(15,2) USING ROUND(total::numeric, 2)"),
                            QStringLiteral("ALTER TABLE estimates ADD COLUMN state TEXT NOT NULL "
                                           "DEFAULT 'issued'"),
                            QStringLiteral("ALTER TABLE estimates ALTER COLUMN state DROP DEFAULT"),
                            NumberingTable, FillNumbering}
                      : QStringList{
                            // SQLite keeps amounts as whole kopecks.
                            QStringLiteral("ALTER TABLE estimates ADD COLUMN state TEXT NOT NULL "
                                           "DEFAULT 'issued'"),
                            QStringLiteral("ALTER TABLE estimates ADD COLUMN total_kopecks "
                                           "INTEGER NOT NULL DEFAULT 0"),
                            QStringLiteral("UPDATE estimates SET total_kopecks = "
                                           "CAST(ROUND(total * 100) AS INTEGER)"),
                            QStringLiteral("ALTER TABLE estimates DROP COLUMN total"),
                            QStringLiteral("CREATE TABLE journal_checks (checked TEXT NOT NULL)"),
                            QStringLiteral("INSERT INTO journal_checks (checked) VALUES ('')"),
                            NumberingTable, FillNumbering};
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

// The money columns: whole kopecks in SQLite, NUMERIC on the server; both read as kopecks.
QString totalColumn(bool server)
{
    return server ? QStringLiteral("total") : QStringLiteral("total_kopecks");
}
QString totalKopecks(bool server)
{
    return server ? QStringLiteral("CAST(total * 100 AS BIGINT)") : QStringLiteral("total_kopecks");
}
QString totalValue(bool server)
{
    return server ? QStringLiteral("CAST(? AS NUMERIC) / 100") : QStringLiteral("?");
}

const QString StateNames[] = {QStringLiteral("reserved"), QStringLiteral("issued"),
                              QStringLiteral("void")};
QString stateName(State state) { return StateNames[static_cast<int>(state)]; }

// "ok", or what is wrong with the file.
QString integrity(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA integrity_check")))
        return query.lastError().databaseText();
    return query.next() ? query.value(0).toString() : QStringLiteral("ok");
}

// A free name beside the file for a copy of it.
QString besideName(const QString &path, const QString &what)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = path + what + stamp;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = path + what + QStringLiteral("%1-%2").arg(stamp).arg(n);
    return name;
}

// SQLite opens a pipe or a device as it would a file and then fails on it with a misleading disk
// error: only a regular file, or none yet, can be a journal.
void refuseAnythingButAFile(const QString &path)
{
    QString reason = fileKindAt(path);
    if (reason.isEmpty())
        return;
    reason[0] = reason[0].toLower();
    throw Error(QStringLiteral("Журнал смет \"%1\" не открыт: %2")
                    .arg(QDir::toNativeSeparators(path), reason));
}

#ifdef Q_OS_UNIX
// The register holds customers and amounts: it is the user's alone, and one that another user
// could have written (or planted in a folder open to all) is not trusted.
void refuseWhatOthersCanWrite(const QString &path)
{
    for (const QString &name : {QFileInfo(path).absolutePath(), path}) {
        struct stat status {};
        if (::stat(QFile::encodeName(name).constData(), &status) != 0)
            continue;
        const bool foreign = status.st_uid != ::getuid() && status.st_uid != 0;
        if ((status.st_mode & S_IWOTH) || foreign)
            throw Error(
                QStringLiteral("Журнал смет \"%1\" не открыт: %2 \"%3\" %4; журнал смет должен "
                               "принадлежать только вам")
                    .arg(QDir::toNativeSeparators(path),
                         name == path ? QStringLiteral("файл") : QStringLiteral("папку"),
                         QDir::toNativeSeparators(name),
                         foreign ? QStringLiteral("создал другой пользователь")
                                 : QStringLiteral("могут изменять другие пользователи")));
    }
}

// A new journal is created readable by its owner only; SQLite gives its companion files the
// journal's own mode.
void createPrivately(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_EXCL | O_WRONLY, 0600);
    if (fd >= 0)
        ::close(fd);
}
#else
void refuseWhatOthersCanWrite(const QString &) {}
void createPrivately(const QString &) {}
#endif

Record recordOf(const QSqlQuery &query, report::Calculator calculator)
{
    Record record;
    record.id = query.value(QStringLiteral("id")).toLongLong();
    record.number = query.value(QStringLiteral("number")).toString();
    record.state = stateNamed(query.value(QStringLiteral("state")).toString());
    record.date =
        QDate::fromString(query.value(QStringLiteral("estimate_date")).toString(), Qt::ISODate);
    record.issued =
        QDateTime::fromString(query.value(QStringLiteral("issued")).toString(), Qt::ISODate);
    record.calculator = calculator;
    record.customer = query.value(QStringLiteral("customer")).toString();
    record.place = query.value(QStringLiteral("place")).toString();
    record.objects = query.value(QStringLiteral("objects")).toString();
    record.total = query.value(QStringLiteral("total_kopecks")).toLongLong() / 100.0;
    record.vatRate = query.value(QStringLiteral("vat_rate")).toDouble();
    record.action = query.value(QStringLiteral("action")).toString();
    return record;
}

// A text as a value to bind: never NULL, so that an empty text is stored as empty.
QVariant text(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

QString numberOf(int year, int serial)
{
    return QStringLiteral("%1-%2").arg(year).arg(serial, 4, 10, QChar(u'0'));
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

State stateNamed(const QString &name)
{
    for (State state : {State::Reserved, State::Issued, State::Void})
        if (name == stateName(state))
            return state;
    return State::Reserved;
}

QString stateTitle(State state)
{
    switch (state) {
    case State::Issued:
        return QStringLiteral("выдана");
    case State::Void:
        return QStringLiteral("аннулирована");
    case State::Reserved:
        break;
    }
    return QStringLiteral("не подтверждена");
}

QString moneyText(double amount, QChar decimal)
{
    const qint64 kopecks = std::llround(static_cast<long double>(amount) * 100);
    const qint64 whole = std::llabs(kopecks) / 100;
    QString digits = QString::number(whole);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u' ');
    return (kopecks < 0 ? QStringLiteral("-") : QString()) + digits + decimal +
           QStringLiteral("%1").arg(std::llabs(kopecks) % 100, 2, 10, QChar(u'0'));
}

QString defaultLocation()
{
    const QSettings settings = appSettings();
    // An unquoted value with a comma reads back as a list.
    const QString configured =
        settings.value(QStringLiteral("journal")).toStringList().join(u',').trimmed();
    if (configured.isEmpty())
        return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
               QStringLiteral("/journal.sqlite");
    if (isServer(configured))
        return configured;
    if (configured.startsWith(QStringLiteral("~/")))
        return QDir::homePath() + configured.mid(1);
    // Relative to the settings file, not to wherever the program was started.
    return QFileInfo(settings.fileName()).dir().absoluteFilePath(configured);
}

QString notAJournal(const QString &location)
{
    if (isServer(location))
        return {};
    QFile file(location);
    if (!QFileInfo(location).isFile() || QFileInfo(location).size() == 0 ||
        !file.open(QIODevice::ReadOnly))
        return {};
    if (file.read(16) == QByteArray("SQLite format 3\0", 16))
        return {};
    return QStringLiteral("\"%1\" — не журнал смет (это не файл базы данных SQLite); файл не "
                          "изменен")
        .arg(QDir::toNativeSeparators(location));
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
        m_damageSeen = m_damageSeen || damaged(error);
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

void Journal::exec(QSqlQuery &query, const QString &what) const
{
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query.finish();
        throw Error(message(what, error));
    }
}

void Journal::openSqlite(const QString &path)
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_lockTimeoutMs));
    if (!m_db.open())
        throw Error(message(QStringLiteral("не открыт"), m_db.lastError()));
}

void Journal::openFile(const QString &path, Use use)
{
    refuseAnythingButAFile(path);
    const QString folder = QFileInfo(path).absolutePath();
    const bool newFolder = !QFileInfo::exists(folder);
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("Журнал смет \"%1\" не открыт: папку \"%2\" нельзя создать")
                        .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(folder)));
    if (newFolder)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    refuseWhatOthersCanWrite(path);
    const bool created = !QFileInfo::exists(path);
    if (use == Use::Browse) {
        // Looking through a journal never creates, repairs or sets aside anything.
        openSqlite(created ? QStringLiteral(":memory:") : path);
        migrate();
        return;
    }
    createPrivately(path);
    openSqlite(path);
    const bool empty = QFileInfo(path).size() == 0;
    if (!empty)
        checkIntegrity(path);
    migrate();
    if (empty)
        continueAfterDamagedCopies(path);
}

// A damaged file is checked in full at most once a day, or when SQLite reports damage: the
// check reads the whole file.
void Journal::checkIntegrity(const QString &path)
{
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    QSqlQuery query(m_db);
    if (query.exec(QStringLiteral("SELECT checked FROM journal_checks")) && query.next() &&
        query.value(0).toString() == today)
        return;
    query.finish();
    const QString verdict = integrity(m_db);
    if (verdict == u"ok") {
        if (readVersion() != SchemaVersion)
            return;
        // Noting the check waits for no one: another estimator's record goes first.
        query.exec(QStringLiteral("PRAGMA busy_timeout = 0"));
        query.prepare(QStringLiteral("UPDATE journal_checks SET checked = ?"));
        query.addBindValue(today);
        query.exec();
        query.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(m_lockTimeoutMs));
        return;
    }
    repair(path, verdict.section(u'\n', 0, 0));
}

namespace {

// What can still be read of a damaged journal: its records, and the last serial of each year
// that anything in it still tells.
struct Remains {
    QList<QSqlRecord> rows;
    QMap<int, int> lastSerial;
    void raise(int year, int serial) { lastSerial[year] = qMax(lastSerial.value(year), serial); }
    void raise(const QMap<int, int> &other)
    {
        for (auto [year, serial] : other.asKeyValueRange())
            raise(year, serial);
    }
};

void readRows(QSqlDatabase &db, const QString &order, qint64 after, Remains &remains)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT * FROM estimates WHERE id > %1 ORDER BY id %2")
                        .arg(after)
                        .arg(order)))
        return;
    while (query.next()) {
        const QSqlRecord row = query.record();
        remains.rows << row;
        remains.raise(row.value(QStringLiteral("year")).toInt(),
                      row.value(QStringLiteral("serial")).toInt());
    }
}

// Reads in both directions past a damaged page, and the numbering from wherever it survives.
Remains readRemains(QSqlDatabase &db)
{
    // A schema that names a lost page would refuse every table, the intact ones too.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA writable_schema = ON"));
    Remains remains;
    for (const QString &statement :
         {QStringLiteral("SELECT year, last_serial FROM numbering"),
          QStringLiteral("SELECT year, MAX(serial) FROM estimates GROUP BY year")}) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (query.exec(statement))
            while (query.next())
                remains.raise(query.value(0).toInt(), query.value(1).toInt());
    }
    readRows(db, QStringLiteral("ASC"), 0, remains);
    const qint64 lastRead = remains.rows.isEmpty()
                                ? 0
                                : remains.rows.constLast().value(QStringLiteral("id")).toLongLong();
    Remains fromTheEnd;
    readRows(db, QStringLiteral("DESC"), lastRead, fromTheEnd);
    remains.rows += fromTheEnd.rows;
    remains.raise(fromTheEnd.lastSerial);
    return remains;
}

void renameWithCompanions(const QString &from, const QString &to)
{
    if (!QFile::rename(from, to))
        throw Error(QStringLiteral("Журнал смет \"%1\" поврежден и не может быть переименован")
                        .arg(QDir::toNativeSeparators(from)));
    for (const char *companion : {"-wal", "-shm"})
        if (QFileInfo::exists(from + QLatin1String(companion)))
            QFile::rename(from + QLatin1String(companion), to + QLatin1String(companion));
}

QString highestNumbers(const QMap<int, int> &lastSerial)
{
    QStringList numbers;
    for (auto [year, serial] : lastSerial.asKeyValueRange())
        numbers << numberOf(year, serial);
    return numbers.join(QStringLiteral(", "));
}

} // namespace

void Journal::storeNumbering(const QMap<int, int> &lastSerial)
{
    for (auto [year, serial] : lastSerial.asKeyValueRange()) {
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral(
            "INSERT INTO numbering (year, last_serial) VALUES (?, ?) ON CONFLICT (year) DO "
            "UPDATE SET last_serial = MAX(numbering.last_serial, excluded.last_serial)"));
        query.addBindValue(year);
        query.addBindValue(serial);
        exec(query, QStringLiteral("не записан"));
    }
}

void Journal::storeRow(const QSqlRecord &row)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral(
        "INSERT INTO estimates (id, year, serial, number, state, estimate_date, issued, "
        "calculator, customer, place, objects, total_kopecks, vat_rate, action, inputs, search) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const bool kopecks = row.contains(QStringLiteral("total_kopecks"));
    for (const char *name : {"id", "year", "serial", "number"})
        query.addBindValue(row.value(QLatin1String(name)));
    query.addBindValue(row.contains(QStringLiteral("state")) ? row.value(QStringLiteral("state"))
                                                             : QVariant(stateName(State::Issued)));
    for (const char *name :
         {"estimate_date", "issued", "calculator", "customer", "place", "objects"})
        query.addBindValue(text(row.value(QLatin1String(name)).toString()));
    query.addBindValue(
        kopecks ? row.value(QStringLiteral("total_kopecks"))
                : QVariant(std::llround(row.value(QStringLiteral("total")).toDouble() * 100)));
    for (const char *name : {"vat_rate", "action", "inputs", "search"})
        query.addBindValue(row.value(QLatin1String(name)));
    exec(query, QStringLiteral("не записан"));
}

// A damaged index is rebuilt; otherwise every record that can still be read goes into a new
// journal, numbering on after the highest number anything still tells, and the damaged file is
// kept aside. A file of which nothing can be read is left as it is: numbering it anew would give
// numbers already printed.
void Journal::repair(const QString &path, const QString &verdict)
{
    const QString name = QDir::toNativeSeparators(path);
    if (QSqlQuery(m_db).exec(QStringLiteral("REINDEX")) && integrity(m_db) == u"ok") {
        m_notices << QStringLiteral("Журнал смет \"%1\" был поврежден (%2); его указатели "
                                    "восстановлены, все записи сохранены")
                         .arg(name, verdict);
        return;
    }
    const Remains remains = readRemains(m_db);
    if (remains.lastSerial.isEmpty())
        throw Error(QStringLiteral("Журнал смет \"%1\" поврежден (%2), и номера выданных смет в "
                                   "нем не читаются; файл оставлен как есть. Восстановите его "
                                   "из резервной копии")
                        .arg(name, verdict));
    m_db.close();
    const QString aside = besideName(path, QStringLiteral(".damaged-"));
    renameWithCompanions(path, aside);
    createPrivately(path);
    if (!m_db.open())
        throw Error(message(QStringLiteral("не открыт"), m_db.lastError()));
    migrate();
    begin();
    storeNumbering(remains.lastSerial);
    for (const QSqlRecord &row : remains.rows)
        storeRow(row);
    QSqlQuery(m_db).exec(QStringLiteral("COMMIT"));
    m_notices << QStringLiteral("Журнал смет \"%1\" был поврежден (%2). Прочитанные записи (%3) "
                                "перенесены в новый журнал, нумерация продолжается после № %4; "
                                "поврежденный файл сохранен как \"%5\"")
                     .arg(name, verdict)
                     .arg(remains.rows.size())
                     .arg(highestNumbers(remains.lastSerial), QDir::toNativeSeparators(aside));
}

// A journal that is gone while damaged copies of it lie beside it goes on after their numbers.
void Journal::continueAfterDamagedCopies(const QString &path)
{
    const QFileInfo info(path);
    const QStringList copies = info.dir().entryList(
        {info.fileName() + QStringLiteral(".damaged-*")}, QDir::Files, QDir::Name);
    Remains found;
    for (const QString &copy : copies) {
        if (copy.endsWith(QStringLiteral("-wal")) || copy.endsWith(QStringLiteral("-shm")))
            continue;
        const QString connection = m_connection + QStringLiteral("-copy");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(info.dir().filePath(copy));
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            if (db.open())
                found.raise(readRemains(db).lastSerial);
        }
        QSqlDatabase::removeDatabase(connection);
    }
    if (copies.isEmpty())
        return;
    if (found.lastSerial.isEmpty()) {
        m_notices << QStringLiteral("Журнал смет \"%1\" начат заново; в поврежденных копиях "
                                    "рядом с ним номера выданных смет не читаются — проверьте, "
                                    "что новые номера не повторяют выданные")
                         .arg(QDir::toNativeSeparators(path));
        return;
    }
    begin();
    storeNumbering(found.lastSerial);
    QSqlQuery(m_db).exec(QStringLiteral("COMMIT"));
    m_notices << QStringLiteral("Журнал смет \"%1\" начат заново; нумерация продолжается после "
                                "№ %2 из поврежденных копий рядом с ним")
                     .arg(QDir::toNativeSeparators(path), highestNumbers(found.lastSerial));
}

void Journal::openServer(const QString &location)
{
    const QUrl url(location);
    if (!url.isValid() || url.path().size() < 2)
        throw Error(QStringLiteral("Журнал смет \"%1\": ожидается адрес вида "
                                   "postgresql://пользователь@сервер/база")
                        .arg(m_location));
    // The Windows build carries no PostgreSQL client, nor does a Debian system without
    // libqt6sql6-psql.
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        throw Error(QStringLiteral("Журнал смет \"%1\" не открыт: эта установка программы ведет "
                                   "журнал смет только в файле SQLite, сервер PostgreSQL ей "
                                   "недоступен")
                        .arg(m_location));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    m_db.setHostName(url.host());
    if (url.port() > 0)
        m_db.setPort(url.port());
    m_db.setDatabaseName(url.path().mid(1));
    m_db.setUserName(url.userName());
    // Without a password in the URL libpq looks in PGPASSWORD and ~/.pgpass.
    m_db.setPassword(url.password());
    m_db.setConnectOptions(serverOptions(url).join(u';'));
    if (!m_db.open())
        throw Error(message(QStringLiteral("не открыт"), m_db.lastError()));
    migrate();
}

// Every parameter of the address reaches libpq as written (?host=/run/postgresql for a local
// socket, sslmode, sslrootcert, application_name…); what it leaves unsaid is bounded: a server
// that stops answering holds no call longer than the journal's lock timeout.
QStringList Journal::serverOptions(const QUrl &url) const
{
    const int seconds = qMax(1, m_lockTimeoutMs / 1000);
    QMap<QString, QString> options = {
        {QStringLiteral("connect_timeout"), QString::number(seconds)},
        {QStringLiteral("keepalives"), QStringLiteral("1")},
        {QStringLiteral("keepalives_idle"), QString::number(seconds)},
        {QStringLiteral("keepalives_interval"), QStringLiteral("1")},
        {QStringLiteral("keepalives_count"), QStringLiteral("3")},
        {QStringLiteral("tcp_user_timeout"), QString::number(m_lockTimeoutMs)},
        {QStringLiteral("options"), QStringLiteral("-c statement_timeout=%1 -c lock_timeout=%1 "
                                                   "-c client_min_messages=warning")
                                        .arg(m_lockTimeoutMs)},
    };
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
        options[key] = value;
    QStringList list;
    for (auto [key, value] : options.asKeyValueRange()) {
        value.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
        list << key + QStringLiteral("='") + value + u'\'';
    }
    return list;
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

QVariant Journal::run(const QString &statement)
{
    // Each statement is finished at once: one left open keeps its read transaction, which
    // BEGIN IMMEDIATE then cannot upgrade once another writer has committed, and SQLite
    // refuses at once instead of waiting for the lock.
    QSqlQuery query(m_db);
    if (!query.exec(statement)) {
        const QSqlError error = query.lastError();
        query.finish();
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        throw Error(message(QStringLiteral("не открыт"), error));
    }
    const QVariant first = query.next() ? query.value(0) : QVariant();
    query.finish();
    return first;
}

int Journal::readVersion()
{
    return run(m_server ? QStringLiteral("SELECT version FROM journal_schema")
                        : QStringLiteral("PRAGMA user_version"))
        .toInt();
}

void Journal::migrate()
{
    if (!m_server) {
        m_version = readVersion();
        if (m_version >= SchemaVersion)
            return;
        // Readers never wait for the writer, and a killed writer leaves no half record.
        switchToWal();
    }
    begin();
    if (m_server) {
        run(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(ServerLockKey));
        run(QStringLiteral("CREATE TABLE IF NOT EXISTS journal_schema (version INTEGER NOT NULL)"));
    }
    m_version = readVersion();
    if (m_version >= SchemaVersion) {
        run(QStringLiteral("ROLLBACK"));
        return;
    }
    for (int from = m_version; from < SchemaVersion; ++from)
        for (const QString &statement : migrationStep(from, m_server))
            run(statement);
    if (m_server)
        run(m_version == 0
                ? QStringLiteral("INSERT INTO journal_schema (version) VALUES (%1)")
                      .arg(SchemaVersion)
                : QStringLiteral("UPDATE journal_schema SET version = %1").arg(SchemaVersion));
    else
        run(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
    run(QStringLiteral("COMMIT"));
    m_version = SchemaVersion;
}

void Journal::refuseNewerSchema() const
{
    if (m_version > SchemaVersion)
        throw Error(QStringLiteral("Журнал смет \"%1\" создан более новой версией программы "
                                   "(версия %2, эта программа знает версию %3) и не изменяется")
                        .arg(m_location)
                        .arg(m_version)
                        .arg(SchemaVersion));
}

Record Journal::reserve(Record record)
{
    refuseNewerSchema();
    try {
        return reserveOnce(std::move(record));
    } catch (const Error &) {
        if (m_server || !m_damageSeen)
            throw;
    }
    // SQLite met damage that today's check did not see.
    m_damageSeen = false;
    repair(m_location, QStringLiteral("ошибка чтения"));
    return reserveOnce(std::move(record));
}

Record Journal::reserveOnce(Record record)
{
    begin();
    QSqlQuery query(m_db);
    try {
        const int year = record.date.year();
        if (m_server) {
            query.prepare(QStringLiteral("SELECT pg_advisory_xact_lock(%1, ?)").arg(ServerLockKey));
            query.addBindValue(year);
            exec(query, QStringLiteral("не записан"));
        }
        // Every number ever reserved counts, void ones too: none is given twice.
        query.prepare(
            QStringLiteral(
                "SELECT %1((SELECT COALESCE(MAX(serial), 0) FROM estimates WHERE year = ?), "
                "(SELECT COALESCE(MAX(last_serial), 0) FROM numbering WHERE year = ?)) + 1")
                .arg(m_server ? QStringLiteral("GREATEST") : QStringLiteral("MAX")));
        query.addBindValue(year);
        query.addBindValue(year);
        exec(query, QStringLiteral("не записан"));
        query.next();
        const int serial = query.value(0).toInt();
        query.finish();
        record.number = numberOf(year, serial);
        record.state = State::Reserved;
        record.issued = QDateTime::currentDateTime();
        insert(query, record, serial);
        query.prepare(QStringLiteral("INSERT INTO numbering (year, last_serial) VALUES (?, ?) ON "
                                     "CONFLICT (year) DO UPDATE SET last_serial = "
                                     "excluded.last_serial"));
        query.addBindValue(year);
        query.addBindValue(serial);
        exec(query, QStringLiteral("не записан"));
        // Not prepared: the server prepares no transaction control.
        if (!query.exec(QStringLiteral("COMMIT")))
            throw Error(message(QStringLiteral("не записан"), query.lastError()));
    } catch (...) {
        query.finish();
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    return record;
}

void Journal::insert(QSqlQuery &query, Record &record, int serial)
{
    query.prepare(
        QStringLiteral("INSERT INTO estimates (year, serial, number, state, estimate_date, issued, "
                       "calculator, "
                       "customer, place, objects, %1, vat_rate, action, inputs, search) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, %2, ?, ?, ?, ?) RETURNING id")
            .arg(totalColumn(m_server), totalValue(m_server)));
    for (const QVariant &value :
         {QVariant(record.date.year()), QVariant(serial), QVariant(record.number),
          QVariant(stateName(record.state)), QVariant(record.date.toString(Qt::ISODate)),
          QVariant(record.issued.toString(Qt::ISODate)),
          QVariant(calculatorName(record.calculator)), text(record.customer), text(record.place),
          text(record.objects),
          QVariant(std::llround(static_cast<long double>(record.total) * 100)),
          QVariant(record.vatRate), text(record.action),
          QVariant(record.inputs.isNull() ? QByteArray("") : record.inputs),
          QVariant(searchText(record))})
        query.addBindValue(value);
    exec(query, QStringLiteral("не записан"));
    query.next();
    record.id = query.value(0).toLongLong();
    query.finish();
}

void Journal::settle(qint64 id, State state, const QString &action)
{
    refuseNewerSchema();
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("UPDATE estimates SET state = ?, action = ? WHERE id = ? AND "
                                 "state = ?"));
    query.addBindValue(stateName(state));
    query.addBindValue(text(action));
    query.addBindValue(id);
    query.addBindValue(stateName(State::Reserved));
    exec(query, QStringLiteral("не записан"));
}

QString Journal::record(Record record, const std::function<QString(const QString &number)> &issue)
{
    const Record reserved = reserve(std::move(record));
    QString action;
    try {
        action = issue(reserved.number);
    } catch (...) {
        try {
            settle(reserved.id, State::Void);
        } catch (const Error &) {
            // It stays unconfirmed, and still never given again.
        }
        throw;
    }
    settle(reserved.id, State::Issued, action);
    return reserved.number;
}

QSqlQuery Journal::select(const Filter &filter, bool oldestFirst, bool forwardOnly) const
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
    query.setForwardOnly(forwardOnly);
    query.prepare(
        QStringLiteral(
            "SELECT id, number, estimate_date, calculator, customer, objects, "
            "%1 AS total_kopecks, state, action, place, vat_rate, issued FROM estimates%2 "
            "ORDER BY id %3")
            .arg(totalKopecks(m_server),
                 conditions.isEmpty()
                     ? QString()
                     : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND ")),
                 oldestFirst ? QStringLiteral("ASC") : QStringLiteral("DESC")));
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw Error(message(QStringLiteral("не прочитан"), query.lastError()));
    return query;
}

void Journal::forEach(const Filter &filter, bool oldestFirst,
                      const std::function<void(const Record &)> &take) const
{
    QSqlQuery query = select(filter, oldestFirst, true);
    while (query.next())
        take(recordOf(query, query.value(Calculator).toString() == u"boiler"
                                 ? report::Calculator::Boiler
                                 : report::Calculator::General));
    if (query.lastError().isValid())
        throw Error(message(QStringLiteral("не прочитан"), query.lastError()));
}

QList<Record> Journal::list(const Filter &filter, bool oldestFirst) const
{
    QList<Record> records;
    forEach(filter, oldestFirst, [&](const Record &record) { records << record; });
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
    QString number;
    bool issued = false;
    try {
        journal->record(record, [&](const QString &reserved) {
            number = reserved;
            const QString action = issue(reserved);
            issued = true;
            return action;
        });
        result.number = number;
    } catch (const Error &error) {
        if (!number.isEmpty() && !issued)
            throw;
        if (issued) {
            result.number = number;
            said << QStringLiteral("Смета № %1 выдана, но ее выдача не подтверждена в журнале "
                                   "смет: номер остается за ней с отметкой «не подтверждена». %2")
                        .arg(number, errorBoxText(error.message()));
        } else
            withoutNumber(error);
    }
    said = journal->notices() + said;
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
