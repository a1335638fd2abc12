#include <climits>
#include <orvel/field.h>
#include <orvel/fieldtype.h>

namespace Orvel {

namespace {

const char defaultName[] = "Default field type name";

} // namespace

FieldType::FieldType(DatabaseConnector* connector)
    : Entity(nullptr), id(INT_MIN), name(QString::fromLatin1(defaultName)),
      fields(new QList<Field*>), deletedFields(new QList<Field*>)
{
    setDatabaseConnector(connector);
    lastModDate = QDateTime::currentDateTimeUtc();
    isDeleted = false;
}

FieldType::FieldType(DatabaseConnector* connector, int id, const QDateTime& last_mod_date,
                     const QString& name, bool is_deleted)
    : Entity(nullptr), id(id), name(name), fields(new QList<Field*>),
      deletedFields(new QList<Field*>)
{
    setDatabaseConnector(connector);
    lastModDate = last_mod_date.toTimeSpec(Qt::UTC);
    isDeleted = is_deleted;
}

FieldType::~FieldType()
{
    // A deleted type first gets its values back, so that it frees them as well; each value's
    // destructor takes it out of its todo's list and of this type's list.
    setIsDeleted(false);
    const QList<Field*> values = *fields;
    for (Field* field : values)
        delete field;
    setIsDeleted(true);
    delete fields;
    delete deletedFields;
}

bool FieldType::save()
{
    lastError.clear();
    Q_EMIT persist(*this);
    isSynchronized = true;
    return true;
}

void FieldType::removeReferences()
{
    deletedFields->append(*fields);
    // Each value detaches itself from its todo and from this type, hence the copy.
    const QList<Field*> values = *fields;
    for (Field* field : values)
        field->setIsDeleted(true);
    Q_EMIT setDeleted(this);
}

void FieldType::recreateReferences()
{
    const QList<Field*> values = *deletedFields;
    for (Field* field : values)
        field->setIsDeleted(false);
    deletedFields->clear();
    Q_EMIT setUndeleted(this);
}

void FieldType::addField(Field* field)
{
    field->setFieldType(this);
}

void FieldType::removeField(Field* field)
{
    field->setIsDeleted(true);
}

void FieldType::setName(const QString& newName)
{
    name = newName;
    modified();
}

} // namespace Orvel
