#ifndef ORVEL_ICALENDAR_INCOMINGTODO_H
#define ORVEL_ICALENDAR_INCOMINGTODO_H

#include "rulemapping.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace Orvel {

// What one VTODO holds, read and checked completely before the pool is touched, so that a
// malformed file changes nothing. Times are UTC instants.
struct IncomingAlarm
{
    QDateTime time;
    bool active = true;
    int snooze = 0;
    int snoozeInterval = 5;
};

struct IncomingAttachment
{
    QString note;
    int type = 0;
    int size = 0;
    QByteArray data;
};

struct IncomingField
{
    QString typeName;
    QString value;
    QString dbId;
    QString contactId;
};

struct IncomingRule
{
    RuleValues values;
    bool active = true;
    QDateTime rangeStart;
    QDateTime rangeEnd;
    QDateTime instancingDate;
};

struct IncomingTodo
{
    int line = 0;
    QString uid;
    QString note;
    bool hasDates = false;
    QDateTime start;
    QDateTime end;
    QString zone;
    bool done = false;
    int status = 0;
    QString formatString;
    QDateTime created;
    QDateTime lastModified;
    bool isSample = false;
    bool hasRule = false;
    IncomingRule rule;
    QString instanceOf;
    QList<IncomingAlarm> alarms;
    QList<IncomingAttachment> attachments;
    QList<IncomingField> fields;
};

} // namespace Orvel

#endif
