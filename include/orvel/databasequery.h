#ifndef ORVEL_DATABASEQUERY_H
#define ORVEL_DATABASEQUERY_H

#include <QList>
#include <QObject>
#include <orvel/orvel_export.h>

QT_BEGIN_NAMESPACE
class QSqlQuery;
QT_END_NAMESPACE

namespace Orvel {

class Alarm;
class Binary;
class DatabaseConnector;
class Field;
class FieldType;
class Recurrence;
class Todo;

/// Reads records back from the database. The caller owns every record it creates; the loaders
/// append to the caller's list and never clear it. Made for one loading pass: it must not outlive
/// the connection whose statement object it uses. The list loaders and the by-todo loaders return
/// unlinked records that still count as new; the by-identifier loaders return stored, synchronized
/// ones.
class ORVEL_EXPORT DatabaseQuery : public QObject
{
    Q_OBJECT

public:
    /// A loader on the connector's shared statement object; the connector is not owned.
    explicit DatabaseQuery(DatabaseConnector* connector);
    /// Frees nothing: the records belong to the caller.
    ~DatabaseQuery() override;

    /// Appends the ordinary todos whose deletion mark equals \a isDeleted, in ascending id. \a
    /// unused is ignored. Returns false when the statement failed.
    bool loadTodos(QList<Todo*>* list, Todo** unused, bool isDeleted);
    /// Appends the samples whose deletion mark equals \a isDeleted. Returns false when the
    /// statement failed.
    bool loadSamples(QList<Todo*>* list, bool isDeleted);
    /// Appends the recurrences whose deletion mark equals \a isDeleted. Returns false when the
    /// statement failed.
    bool loadRecurrences(QList<Recurrence*>* list, bool isDeleted);
    /// Appends the field types whose deletion mark equals \a isDeleted. Returns false when the
    /// statement failed.
    bool loadFieldTypes(QList<FieldType*>* list, bool isDeleted);
    /// Appends the field values whose deletion mark equals \a isDeleted. Returns false when the
    /// statement failed.
    bool loadFields(QList<Field*>* list, bool isDeleted);
    /// Appends the attachments (without their bytes) whose deletion mark equals \a isDeleted.
    /// Returns false when the statement failed.
    bool loadBinaries(QList<Binary*>* list, bool isDeleted);
    /// Appends the alarms whose deletion mark equals \a isDeleted. Returns false when the statement
    /// failed.
    bool loadAlarms(QList<Alarm*>* list, bool isDeleted);

    /// Stores the ordinary todo with the given \a id in \a todo. Returns false, leaving \a todo
    /// untouched, when there is none.
    bool getTodoById(Todo** todo, int id);
    /// Stores the sample with the given \a id in \a sample. Returns false, leaving \a sample
    /// untouched, when there is none.
    bool getSampleById(Todo** sample, int id);
    /// Stores the recurrence with the given \a id. Returns false when there is none.
    bool getRecurrenceById(Recurrence** recurrence, int id);
    /// Stores the field type with the given \a id. Returns false when there is none.
    bool getFieldTypeById(FieldType** fieldType, int id);
    /// Stores the field value with the given \a id. Returns false when there is none.
    bool getFieldById(Field** field, int id);
    /// Stores the attachment (without its bytes) with the given \a id. Returns false when there is
    /// none.
    bool getBinaryById(Binary** binary, int id);
    /// Stores the alarm with the given \a id. Returns false when there is none.
    bool getAlarmById(Alarm** alarm, int id);

    /// Appends the field values of the todo \a todoId. Returns false when the statement failed.
    bool selectFieldByTodoId(QList<Field*>* list, int todoId);
    /// Appends the attachments of the todo \a todoId. Returns false when the statement failed.
    bool selectBinaryByTodoId(QList<Binary*>* list, int todoId);
    /// Appends the alarms of the todo \a todoId. Returns false when the statement failed.
    bool selectAlarmByTodoId(QList<Alarm*>* list, int todoId);
    /// Appends the recurrences of the sample \a sampleId. Returns false when the statement failed.
    bool selectRecurrenceBySampleId(QList<Recurrence*>* list, int sampleId);

    /// The ids of the stored rows equal to the todo in every column but the key and last_mod_date.
    QList<int> selectSimilarTodoIds(Todo* todo);

    /// The connector given to the constructor; not owned. Every loaded record is attached to it.
    DatabaseConnector* databaseConnector;
    /// The connector's shared statement object; not owned.
    QSqlQuery* sqlQuery;
};

} // namespace Orvel

#endif
