#ifndef ORVEL_ICALENDAR_IMPORTAPPLIER_H
#define ORVEL_ICALENDAR_IMPORTAPPLIER_H

#include "incomingtodo.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

namespace Orvel {

class FieldType;
class ICalendarImportReport;
class Pool;
class Todo;

// Writes checked incoming todos into the pool: creates the unknown ones, overwrites the known
// ones whose incoming modification time is newer, links instances to their rules, and counts.
class ImportApplier
{
public:
    ImportApplier(Pool* pool, ICalendarImportReport* report);

    void apply(const QList<IncomingTodo>& incoming);

private:
    void indexExisting();
    void applyOne(const IncomingTodo& incoming);
    Todo* create(const IncomingTodo& incoming);
    void fill(Todo* todo, const IncomingTodo& incoming);
    void replaceAlarms(Todo* todo, const IncomingTodo& incoming);
    void replaceAttachments(Todo* todo, const IncomingTodo& incoming);
    void replaceFields(Todo* todo, const IncomingTodo& incoming);
    void setRule(Todo* sample, const IncomingTodo& incoming);
    void linkInstance(Todo* todo, const IncomingTodo& incoming);
    FieldType* fieldType(const QString& name);

    Pool* m_pool;
    ICalendarImportReport* m_report;
    QHash<QString, Todo*> m_byUid;
    QHash<QString, FieldType*> m_fieldTypes;
    QList<QPair<Todo*, const IncomingTodo*>> m_written;
};

} // namespace Orvel

#endif
