#ifndef ORVEL_FIELDTYPE_H
#define ORVEL_FIELDTYPE_H

#include <orvel/entity.h>

#include <QList>

namespace Orvel {

class Field;

/// A named kind of custom value. Deleting the type object deletes its field values.
class ORVEL_EXPORT FieldType : public Entity
{
    Q_OBJECT

public:
    explicit FieldType(DatabaseConnector* connector);
    FieldType(DatabaseConnector* connector, int id, const QDateTime& last_mod_date,
              const QString& name, bool is_deleted);
    ~FieldType() override;

    bool save() override;
    bool databaseInsert() override;
    bool databaseUpdate() override;
    bool databaseDelete() override;
    void removeReferences() override;
    void recreateReferences() override;

    void addField(Field* field);
    void removeField(Field* field);
    void setName(const QString& name);

    int id;
    QString name;
    QList<Field*>* fields;
    QList<Field*>* deletedFields;
};

} // namespace Orvel

#endif
