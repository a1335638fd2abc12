#ifndef ORVEL_FIELDTYPE_H
#define ORVEL_FIELDTYPE_H

#include <QList>
#include <orvel/entity.h>

namespace Orvel {

class Field;

/// A named kind of custom value. It keeps the list of its field values; deleting the type object
/// (or soft-deleting the type) takes its values along.
class ORVEL_EXPORT FieldType : public Entity
{
    Q_OBJECT

public:
    /// A new type named "Default field type name". Use Pool::newFieldType() so that the Pool owns
    /// and writes it.
    explicit FieldType(DatabaseConnector* connector);
    /// A field type with the given values.
    FieldType(DatabaseConnector* connector, int id, const QDateTime& last_mod_date,
              const QString& name, bool is_deleted);
    /// Deletes the live field values of this type and emits setDeleted().
    ~FieldType() override;

    /// Writes the type; it has no references to check, so only a failed statement shows, in
    /// lastError.
    bool save() override;
    bool databaseInsert() override;
    bool databaseUpdate() override;
    bool databaseDelete() override;
    /// Deletes every field value of the type (remembering them) and emits setDeleted().
    void removeReferences() override;
    /// Restores the remembered field values and emits setUndeleted().
    void recreateReferences() override;

    /// Gives \a field this type (Field::setFieldType()).
    void addField(Field* field);
    /// Deletes \a field, which detaches it from the type and its todo.
    void removeField(Field* field);
    /// Sets the name.
    void setName(const QString& name);

    /// Primary key (field_type_id); INT_MIN until the type is inserted.
    int id;
    /// Name of the type, matched exactly by Todo::fieldByTypeName().
    QString name;
    /// The live field values of this type. The list object is owned; the values are deleted with
    /// the type object.
    QList<Field*>* fields;
    /// Values detached by removeReferences(), restored by recreateReferences(); not owned.
    QList<Field*>* deletedFields;
};

} // namespace Orvel

#endif
