#ifndef ORVEL_FIELD_H
#define ORVEL_FIELD_H

#include <orvel/entity.h>

namespace Orvel {

class FieldType;
class RememberedRecords;
class Todo;

/// One value of a custom field type on one todo.
class ORVEL_EXPORT Field : public Entity
{
    Q_OBJECT

public:
    explicit Field(DatabaseConnector* connector);
    Field(DatabaseConnector* connector, int id, int todo_id, int field_type_id,
          const QDateTime& last_mod_date, const QString& value, const QString& db_id,
          const QString& contact_id, bool is_deleted);
    ~Field() override;

    bool save() override;
    bool databaseInsert() override;
    bool databaseUpdate() override;
    bool databaseDelete() override;
    void modified() override;
    void removeReferences() override;
    void recreateReferences() override;

    void setTodo(Todo* todo);
    void setFieldType(FieldType* fieldType);
    void setValue(const QString& value);
    void setDbId(const QString& dbId);
    void setContactId(const QString& contactId);

    int id;
    int todo_id;
    int field_type_id;
    QString value;
    QString db_id;
    QString contact_id;
    FieldType* fieldType;
    FieldType* detachedFieldType;
    Todo* todo;
    Todo* detachedTodo;

private:
    //! Pool::disposeDeleted() checks through the remembered links whether a parent still exists.
    friend class Pool;

    void leaveParentLists();

    RememberedRecords* m_remembered = nullptr;
};

} // namespace Orvel

#endif
