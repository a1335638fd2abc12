#ifndef ORVEL_TODOMODEL_H
#define ORVEL_TODOMODEL_H

#include <QAbstractListModel>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QVariantMap>
#include <memory>
#include <orvel/orvel_export.h>

namespace Orvel {

class Entity;
class FieldType;
class Pool;
class Query;
class Todo;
class TodoRows;

/*!
    \class Orvel::TodoModel
    \brief A live list model of the todos that a query selects, for views in C++ and QML.

    The model runs its own Query on the pool's todos. The filter, the sort order and the batch are
    properties; changing one runs the query again and resets the model. Afterwards every change
    made through the library reaches the model as the smallest notification that describes it:
    \c dataChanged for a row whose todo changed in place, \c rowsInserted, \c rowsRemoved or
    \c rowsMoved when a todo enters, leaves or moves in the sort order. Only a restart of the pool
    (Pool::start(), Pool::reloadDB()) resets the model; the pool's deletion empties it.

    When the query includes the occurrences of repeating todos, a change of a repeating rule or of
    its sample computes the occurrences anew, which replaces them: the model is then reset.

    The model holds pointers to the todos, never copies of their texts.
*/
class ORVEL_EXPORT TodoModel : public QAbstractListModel
{
    Q_OBJECT
    //! Start of the active interval; with activeTo, selects the todos whose span overlaps it.
    Q_PROPERTY(QDateTime activeFrom READ activeFrom WRITE setActiveFrom NOTIFY activeFromChanged)
    //! End of the active interval.
    Q_PROPERTY(QDateTime activeTo READ activeTo WRITE setActiveTo NOTIFY activeToChanged)
    //! Earliest start date, applied when startDateTo is set too.
    Q_PROPERTY(QDateTime startDateFrom READ startDateFrom WRITE setStartDateFrom NOTIFY
                   startDateFromChanged)
    //! Latest start date.
    Q_PROPERTY(
        QDateTime startDateTo READ startDateTo WRITE setStartDateTo NOTIFY startDateToChanged)
    //! Earliest end date, applied when endDateTo is set too.
    Q_PROPERTY(
        QDateTime endDateFrom READ endDateFrom WRITE setEndDateFrom NOTIFY endDateFromChanged)
    //! Latest end date.
    Q_PROPERTY(QDateTime endDateTo READ endDateTo WRITE setEndDateTo NOTIFY endDateToChanged)
    //! -1 shows every todo, 0 only undone ones, 1 only done ones.
    Q_PROPERTY(int doneFilter READ doneFilter WRITE setDoneFilter NOTIFY doneFilterChanged)
    //! Field type name to the list of texts of which one of the todo's values must contain one.
    Q_PROPERTY(
        QVariantMap fieldFilters READ fieldFilters WRITE setFieldFilters NOTIFY fieldFiltersChanged)
    //! A Query::SortOrder value; any other value keeps the order of the pool's list.
    Q_PROPERTY(int sortOrder READ sortOrder WRITE setSortOrder NOTIFY sortOrderChanged)
    //! Also show the occurrences of repeating todos within the active interval.
    Q_PROPERTY(bool includeRecurring READ includeRecurring WRITE setIncludeRecurring NOTIFY
                   includeRecurringChanged)
    //! Rows per batch; 0 or less shows the whole result.
    Q_PROPERTY(int batchSize READ batchSize WRITE setBatchSize NOTIFY batchSizeChanged)
    //! Index of the batch shown when batchSize is positive.
    Q_PROPERTY(int batch READ batch WRITE setBatch NOTIFY batchChanged)

public:
    //! The data of a row, by role. Qt::DisplayRole and Qt::EditRole give the note as well.
    enum Roles {
        IdRole = Qt::UserRole + 1, //!< The todo's identifier (int).
        NoteRole,                  //!< The task text (QString); editable.
        ReadableDateRole,          //!< The span as a phrase such as "Today" (QString).
        ReadableFormatStringRole,  //!< The expanded format string (QString).
        DoneRole,                  //!< Whether the task is done (bool); editable.
        StartRole,                 //!< Start, wall-clock time in the todo's zone (QDateTime).
        EndRole,                   //!< End, wall-clock time in the todo's zone (QDateTime).
        TimeZoneRole,              //!< The todo's zone string, such as "+02:00" (QString).
        FieldsRole,                //!< Field type name (or type id) to its values (QVariantMap).
        AlarmCountRole,            //!< Number of live alarms (int).
        AttachmentCountRole,       //!< Number of live attachments (int).
        IsOccurrenceRole,          //!< The row is a computed occurrence, not stored (bool).
        IsRecurringRole            //!< The todo was instanced from a repeating rule (bool).
    };
    Q_ENUM(Roles)

    //! Constructs a model over the todos of Pool::instance().
    explicit TodoModel(QObject* parent = nullptr);
    //! Constructs a model over the todos of \a pool, which must outlive it or be deleted first.
    explicit TodoModel(Pool* pool, QObject* parent = nullptr);
    ~TodoModel() override;

    //! The number of rows shown: the result, or one batch of it.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    //! The value of \a role for the todo of \a index's row.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    //! Writes the done flag or the note through the todo's setter; the pool writes it back at
    //! its next synchronisation. Computed occurrences are read-only.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    //! Stored todos are editable; computed occurrences are not.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    //! The role names used by QML delegates: "todoId", "note", "readableDate", ...
    QHash<int, QByteArray> roleNames() const override;

    //! The todo shown in \a row, or null outside the rows.
    Todo* todoAt(int row) const;

    //! \sa activeFrom
    QDateTime activeFrom() const;
    //! \sa activeFrom
    void setActiveFrom(const QDateTime& value);
    //! \sa activeTo
    QDateTime activeTo() const;
    //! \sa activeTo
    void setActiveTo(const QDateTime& value);
    //! \sa startDateFrom
    QDateTime startDateFrom() const;
    //! \sa startDateFrom
    void setStartDateFrom(const QDateTime& value);
    //! \sa startDateTo
    QDateTime startDateTo() const;
    //! \sa startDateTo
    void setStartDateTo(const QDateTime& value);
    //! \sa endDateFrom
    QDateTime endDateFrom() const;
    //! \sa endDateFrom
    void setEndDateFrom(const QDateTime& value);
    //! \sa endDateTo
    QDateTime endDateTo() const;
    //! \sa endDateTo
    void setEndDateTo(const QDateTime& value);
    //! \sa doneFilter
    int doneFilter() const;
    //! \sa doneFilter
    void setDoneFilter(int value);
    //! \sa fieldFilters
    QVariantMap fieldFilters() const;
    //! Sets the field filters. A name that no field type has matches no todo until a type takes
    //! that name; a filter follows its type, not the name, once matched.
    void setFieldFilters(const QVariantMap& value);
    //! \sa sortOrder
    int sortOrder() const;
    //! \sa sortOrder
    void setSortOrder(int value);
    //! \sa includeRecurring
    bool includeRecurring() const;
    //! \sa includeRecurring
    void setIncludeRecurring(bool value);
    //! \sa batchSize
    int batchSize() const;
    //! \sa batchSize
    void setBatchSize(int value);
    //! \sa batch
    int batch() const;
    //! \sa batch
    void setBatch(int value);

Q_SIGNALS:
    //! \sa activeFrom
    void activeFromChanged();
    //! \sa activeTo
    void activeToChanged();
    //! \sa startDateFrom
    void startDateFromChanged();
    //! \sa startDateTo
    void startDateToChanged();
    //! \sa endDateFrom
    void endDateFromChanged();
    //! \sa endDateTo
    void endDateToChanged();
    //! \sa doneFilter
    void doneFilterChanged();
    //! \sa fieldFilters
    void fieldFiltersChanged();
    //! \sa sortOrder
    void sortOrderChanged();
    //! \sa includeRecurring
    void includeRecurringChanged();
    //! \sa batchSize
    void batchSizeChanged();
    //! \sa batch
    void batchChanged();

private:
    void attachToPool(Pool* pool);
    void detachFromPool();
    void beginContentReplacement();
    void endContentReplacement();
    void moveWindow(int& member, int value, void (TodoModel::*notify)());
    template <typename T> void updateFilter(T& member, const T& value, void (TodoModel::*notify)());
    void makeQuery();
    void applyFilters();
    void applyFieldFilters();
    void runQuery();
    void loadResult();
    QVariant fieldValues(const Todo* todo) const;

    // Live updates, in todomodelupdates.cpp.
    void recordCreated(Entity* record);
    void recordChanged(Entity* record);
    void recordDeleted(Entity* record);
    void recordUndeleted(Entity* record);
    // False when the change of record needs no row-by-row update: the model runs no query, the
    // pool's content is being replaced, or the record feeds shown occurrences, in which case the
    // query has just run again.
    bool followsRowByRow(Entity* record);
    void fieldTypeChanged(FieldType* fieldType);
    bool showsOccurrencesOf(Entity* record) const;
    void reconsider(Todo* todo);
    bool accepts(Todo* todo) const;
    int positionFor(Todo* todo, int currentRow) const;
    int sortedPosition(Todo* todo, int currentRow) const;
    int listPosition(Todo* todo) const;
    void insertRow(int row, Todo* todo);
    void removeRow(int row);
    void moveRow(int from, int to);
    void rowChanged(int row);
    bool windowed() const;
    QList<Todo*> window() const;
    void publishWindow();

    Pool* m_pool = nullptr;
    Query* m_query = nullptr;
    std::unique_ptr<TodoRows> m_rows;
    // What a batch view shows, changed one notification at a time towards the new window.
    QList<Todo*> m_shown;
    QSet<const Todo*> m_occurrences;
    QDateTime m_activeFrom;
    QDateTime m_activeTo;
    QDateTime m_startDateFrom;
    QDateTime m_startDateTo;
    QDateTime m_endDateFrom;
    QDateTime m_endDateTo;
    int m_doneFilter = -1;
    int m_sortOrder = 0;
    bool m_includeRecurring = false;
    int m_batchSize = 0;
    QVariantMap m_fieldFilters;
    bool m_unmatchedFieldFilter = false;
    bool m_replacing = false;
    int m_batch = 0;
};

} // namespace Orvel

#endif
