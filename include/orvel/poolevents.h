#ifndef ORVEL_POOLEVENTS_H
#define ORVEL_POOLEVENTS_H

#include <QObject>
#include <orvel/orvel_export.h>

namespace Orvel {

class Entity;

/*!
    \class Orvel::PoolEvents
    \brief Announces every change to the records of one Pool, for clients that mirror them.

    Obtained from Pool::events(); owned by the pool. Item models and caches connect here instead
    of to every record. All signals are emitted synchronously, inside the call that caused them.
*/
class ORVEL_EXPORT PoolEvents : public QObject
{
    Q_OBJECT

public:
    //! Constructs the notifier of \a pool, which becomes its parent.
    explicit PoolEvents(QObject* pool);
    ~PoolEvents() override;

Q_SIGNALS:
    //! A factory operation of the pool made \a record; it already stands in its record list.
    void recordCreated(Orvel::Entity* record);
    //! \a record changed. A change of an alarm, attachment or field value is reported for its
    //! todo as well, and so is a child leaving its todo. Not emitted while the pool loads.
    void recordChanged(Orvel::Entity* record);
    //! \a record was deleted and has left its record list.
    void recordDeleted(Orvel::Entity* record);
    //! \a record was undeleted and stands in its record list again.
    void recordUndeleted(Orvel::Entity* record);
    //! The pool is about to drop every record and query and to load the database anew.
    void contentAboutToBeReplaced();
    //! The pool holds the records of the database, freshly loaded and linked.
    void contentReplaced();
    //! The pool is being deleted; its records, lists and queries go with it.
    void poolAboutToBeDeleted();
};

} // namespace Orvel

#endif
