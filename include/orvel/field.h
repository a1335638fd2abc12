#ifndef ORVEL_FIELD_H
#define ORVEL_FIELD_H

#include <orvel/entity.h>

namespace Orvel {

class FieldType;
class RememberedRecords;
class Todo;

/// One value of a custom field type on one todo. The field is linked to both parents on both sides;
/// it is owned by the Pool while it stands in its list, and deleted by its todo's or its field
/// type's destructor.
class ORVEL_EXPORT Field : public Entity
{
    Q_OBJECT

public:
    /// A new field value "Default value" without todo or type. Use Pool::newField() so that the
    /// Pool owns and writes it.
    explicit Field(DatabaseConnector* connector);
    /// A field value with the given values, not yet linked to its todo and type.
    Field(DatabaseConnector* connector, int id, int todo_id, int field_type_id,
          const QDateTime& last_mod_date, const QString& value, const QString& db_id,
          const QString& contact_id, bool is_deleted);
    /// Detaches the value from its todo and type and emits setDeleted(), unless it is already
    /// deleted.
    ~Field() override;

    /// Completes both ids from the linked records, then writes the value. Fails while either id is
    /// unknown, or without both links unless the value is deleted.
    bool save() override;
    bool databaseInsert() override;
    bool databaseUpdate() override;
    bool databaseDelete() override;
    /// Marks the value and its todo modified (the field type is not marked).
    void modified() override;
    /// Detaches the value from its todo and type, remembering both, and emits setDeleted().
    void removeReferences() override;
    /// Re-attaches the remembered todo and type and emits setUndeleted().
    void recreateReferences() override;

    /// Moves the value to \a todo (null detaches it but keeps \c todo_id).
    void setTodo(Todo* todo);
    /// Gives the value the type \a fieldType (null detaches it but keeps \c field_type_id).
    void setFieldType(FieldType* fieldType);
    /// Sets the value text.
    void setValue(const QString& value);
    /// Sets db_id, stored as it is.
    void setDbId(const QString& dbId);
    /// Sets contact_id, stored as it is.
    void setContactId(const QString& contactId);

    /// Primary key (field_id); INT_MIN until the value is inserted.
    int id;
    /// \c id of the todo; INT_MIN when not known.
    int todo_id;
    /// \c id of the field type; INT_MIN when not known.
    int field_type_id;
    /// The value text; Query field filters match substrings of it.
    QString value;
    /// Free text, stored and returned unchanged; empty by default.
    QString db_id;
    /// Free text, stored and returned unchanged; empty by default.
    QString contact_id;
    /// The field type; not owned, may be null.
    FieldType* fieldType;
    /// The type remembered by removeReferences(); null otherwise.
    FieldType* detachedFieldType;
    /// The todo; not owned, may be null.
    Todo* todo;
    /// The todo remembered by removeReferences(); null otherwise.
    Todo* detachedTodo;

private:
    //! Pool::disposeDeleted() checks through the remembered links whether a parent still exists.
    friend class Pool;

    void leaveParentLists();

    RememberedRecords* m_remembered = nullptr;
};

} // namespace Orvel

#endif
