#ifndef ORVEL_DATABASEQUERY_H
#define ORVEL_DATABASEQUERY_H

#include <orvel/orvel_export.h>

#include <QList>
#include <QObject>

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

/// Reads records back from the database. The caller owns every record it creates. Made for one
/// loading pass: it must not outlive the connection whose statement object it uses.
class ORVEL_EXPORT DatabaseQuery : public QObject
{
    Q_OBJECT

public:
    explicit DatabaseQuery(DatabaseConnector* connector);
    ~DatabaseQuery() override;

    bool loadTodos(QList<Todo*>* list, Todo** unused, bool isDeleted);
    bool loadSamples(QList<Todo*>* list, bool isDeleted);
    bool loadRecurrences(QList<Recurrence*>* list, bool isDeleted);
    bool loadFieldTypes(QList<FieldType*>* list, bool isDeleted);
    bool loadFields(QList<Field*>* list, bool isDeleted);
    bool loadBinaries(QList<Binary*>* list, bool isDeleted);
    bool loadAlarms(QList<Alarm*>* list, bool isDeleted);

    bool getTodoById(Todo** todo, int id);
    bool getSampleById(Todo** sample, int id);
    bool getRecurrenceById(Recurrence** recurrence, int id);
    bool getFieldTypeById(FieldType** fieldType, int id);
    bool getFieldById(Field** field, int id);
    bool getBinaryById(Binary** binary, int id);
    bool getAlarmById(Alarm** alarm, int id);

    bool selectFieldByTodoId(QList<Field*>* list, int todoId);
    bool selectBinaryByTodoId(QList<Binary*>* list, int todoId);
    bool selectAlarmByTodoId(QList<Alarm*>* list, int todoId);
    bool selectRecurrenceBySampleId(QList<Recurrence*>* list, int sampleId);

    /// The ids of the stored rows equal to the todo in every column but the key and last_mod_date.
    QList<int> selectSimilarTodoIds(Todo* todo);

    DatabaseConnector* databaseConnector;
    QSqlQuery* sqlQuery;
};

} // namespace Orvel

#endif
