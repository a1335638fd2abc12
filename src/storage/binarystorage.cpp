#include "debug/log.h"
#include "entitystorage_p.h"
#include "statementbinder.h"
#include "statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <climits>
#include <orvel/binary.h>

namespace Orvel {

namespace {

const char loadUnsavedMessage[] = "Can't load binary, data not saved in the database yet.";
const char freeUnsavedMessage[] = "Can't free binary, data not saved in the database yet.";
const char loadDataFailedMessage[] = "Error occured while loading binary data from the database:";

// Every column but the key and the bytes, shared by the insert and both updates.
void bindBinaryColumns(StatementBinder& binder, const Binary& binary)
{
    binder.bind(QStringLiteral(":todo_id"), binary.todo_id);
    binder.bindDate(QStringLiteral(":last_mod_date"), binary.lastModDate);
    binder.bindText(QStringLiteral(":note"), binary.note);
    binder.bind(QStringLiteral(":type"), static_cast<int>(binary.type));
    binder.bind(QStringLiteral(":size"), binary.size);
    binder.bind(QStringLiteral(":is_deleted"), binary.isDeleted);
}

void bindColumnsWithData(StatementBinder& binder, const Binary& binary)
{
    bindBinaryColumns(binder, binary);
    binder.bind(QStringLiteral(":data"), *binary.data);
}

// The bytes of the first row of the data select; none when the row does not exist.
QByteArray* readData(QSqlQuery& query)
{
    QByteArray* bytes =
        query.next() ? new QByteArray(query.value(0).toByteArray()) : new QByteArray();
    // Releases SQLite's read of the row at once instead of holding it until the next statement.
    query.finish();
    return bytes;
}

void logLoadFailure(const QSqlQuery& query)
{
    oError() << loadDataFailedMessage;
    oError() << query.lastError().text();
    oError() << query.executedQuery();
}

} // namespace

bool Binary::databaseInsert()
{
    return EntityStorage::insertRecord(*this, Statements::insertBinary, bindColumnsWithData);
}

bool Binary::databaseUpdate()
{
    // Bytes that were freed (or never loaded) must not overwrite the stored blob.
    if (data->isEmpty())
        return EntityStorage::updateRecord(*this, Statements::updateBinaryWithoutData,
                                           QStringLiteral(":binary_id"), bindBinaryColumns);
    return EntityStorage::updateRecord(*this, Statements::updateBinaryWithData,
                                       QStringLiteral(":binary_id"), bindColumnsWithData);
}

bool Binary::databaseDelete()
{
    return EntityStorage::deleteRecord(*this, Statements::deleteBinary,
                                       QStringLiteral(":binary_id"));
}

void Binary::loadBinaryData()
{
    if (id == INT_MIN) {
        oError() << loadUnsavedMessage;
    } else if (sqlQuery) {
        StatementBinder binder(sqlQuery, Statements::selectBinaryData,
                               StatementBinder::Navigation::ForwardOnly);
        binder.bind(QStringLiteral(":binary_id"), id);
        binder.exec();
        if (sqlQuery->lastError().type() == QSqlError::NoError) {
            QByteArray* loaded = readData(*sqlQuery);
            delete data;
            data = loaded;
        } else {
            logLoadFailure(*sqlQuery);
        }
    }
    Q_EMIT loadBinaryDataFinished();
}

void Binary::freeBinaryData()
{
    if (id == INT_MIN) {
        oError() << freeUnsavedMessage;
        return;
    }
    // clear() gives the memory back; resize(0) would keep it.
    data->clear();
}

} // namespace Orvel
