#ifndef ORVEL_STORAGE_STATEMENTS_H
#define ORVEL_STORAGE_STATEMENTS_H

// Every SQL statement the library runs, each written once. Existing databases and tools rely on
// these exact texts, odd spacing included; SQLite ignores the spacing.

namespace Orvel::Statements {

inline constexpr char insertTodo[] =
    "INSERT INTO TODO_PROJECT (todo_id,start_date,end_date,time_zone,last_mod_date,creation_date,status,is_done,note,format_string,is_deleted,recurrence_id,is_sample) VALUES (NULL, :start_date,:end_date,:time_zone,:last_mod_date,:creation_date,:status,:is_done,:note,:format_string,:is_deleted,:recurrence_id,:is_sample);";
inline constexpr char updateTodo[] =
    "UPDATE TODO_PROJECT SET start_date=:start_date, end_date=:end_date, time_zone=:time_zone, last_mod_date=:last_mod_date, creation_date=:creation_date, status=:status, is_done=:is_done, note=:note, format_string=:format_string, is_deleted=:is_deleted ,recurrence_id=:recurrence_id ,is_sample=:is_sample WHERE todo_id=:todo_id;";
inline constexpr char deleteTodo[] = "DELETE FROM TODO_PROJECT WHERE todo_id=:todo_id ;";
inline constexpr char selectTodos[] =
    "SELECT todo_id,start_date,end_date,time_zone,last_mod_date,creation_date,status,is_done,note,format_string ,recurrence_id,is_sample FROM TODO_PROJECT WHERE is_deleted=:is_deleted AND is_sample=:is_sample ORDER BY todo_id ASC;";
inline constexpr char selectTodoById[] =
    "SELECT todo_id,start_date,end_date,time_zone,last_mod_date,creation_date,status,is_done,note,format_string,is_deleted,recurrence_id,is_sample FROM TODO_PROJECT WHERE todo_id=:todo_id AND is_sample=:is_sample ;";
inline constexpr char selectSampleById[] =
    "SELECT todo_id,start_date,end_date,time_zone,last_mod_date,creation_date,status,is_done,note,format_string,is_deleted,recurrence_id,is_sample FROM TODO_PROJECT WHERE todo_id=:sample_id AND is_sample=:is_sample ;";
inline constexpr char selectSimilarTodoIds[] =
    "SELECT todo_id FROM TODO_PROJECT WHERE start_date=:start_date AND end_date=:end_date AND time_zone=:time_zone AND creation_date=:creation_date AND status=:status AND is_done=:is_done AND note=:note AND format_string=:format_string AND is_deleted=:is_deleted AND recurrence_id=:recurrence_id AND is_sample=:is_sample;";
inline constexpr char insertRecurrence[] =
    "INSERT INTO RECURRENCE (recurrence_id,sample_id,last_mod_date,is_active, repeats, repeats_every,repeats_on,range_start,range_end,instancing_date,is_deleted) VALUES (NULL, :sample_id, :last_mod_date, :is_active, :repeats, :repeats_every, :repeats_on, :range_start, :range_end, :instancing_date, :is_deleted);";
inline constexpr char updateRecurrence[] =
    "UPDATE RECURRENCE SET sample_id=:sample_id, last_mod_date=:last_mod_date, is_active=:is_active, repeats=:repeats, repeats_every=:repeats_every, repeats_on=:repeats_on, range_start=:range_start, range_end=:range_end, instancing_date=:instancing_date, is_deleted=:is_deleted WHERE recurrence_id=:recurrence_id;";
inline constexpr char deleteRecurrence[] =
    "DELETE FROM RECURRENCE WHERE recurrence_id=:recurrence_id ;";
inline constexpr char selectRecurrences[] =
    "SELECT recurrence_id,sample_id,last_mod_date,is_active,repeats,repeats_every,repeats_on,range_start,range_end,instancing_date FROM RECURRENCE WHERE is_deleted=:is_deleted ORDER BY recurrence_id ASC;";
inline constexpr char selectRecurrenceById[] =
    "SELECT recurrence_id,sample_id,last_mod_date,is_active,repeats,repeats_every,repeats_on,range_start,range_end,instancing_date,is_deleted FROM RECURRENCE WHERE recurrence_id=:recurrence_id;";
inline constexpr char selectRecurrencesBySampleId[] =
    "SELECT recurrence_id,sample_id,last_mod_date,is_active,repeats,repeats_every,repeats_on,range_start,range_end,instancing_date,is_deleted FROM RECURRENCE WHERE sample_id=:sample_id;";
inline constexpr char insertFieldType[] =
    "INSERT INTO FIELD_TYPE (field_type_id,last_mod_date,name,is_deleted) VALUES (NULL, :last_mod_date, :name, :is_deleted);";
inline constexpr char updateFieldType[] =
    "UPDATE FIELD_TYPE SET last_mod_date=:last_mod_date, name=:name, is_deleted=:is_deleted WHERE field_type_id=:field_type_id;";
inline constexpr char deleteFieldType[] =
    "DELETE FROM FIELD_TYPE WHERE field_type_id=:field_type_id ;";
inline constexpr char selectFieldTypes[] =
    "SELECT field_type_id,last_mod_date,name FROM FIELD_TYPE WHERE is_deleted=:is_deleted ORDER BY field_type_id ASC;";
inline constexpr char selectFieldTypeById[] =
    "SELECT field_type_id,last_mod_date,name,is_deleted FROM FIELD_TYPE WHERE field_type_id=:field_type_id;";
inline constexpr char insertField[] =
    "INSERT INTO FIELD (field_id,todo_id,field_type_id,last_mod_date, value,db_id,contact_id,is_deleted) VALUES (NULL, :todo_id, :field_type_id, :last_mod_date, :value, :db_id, :contact_id, :is_deleted);";
inline constexpr char updateField[] =
    "UPDATE FIELD SET todo_id=:todo_id, field_type_id=:field_type_id, last_mod_date=:last_mod_date, value=:value, db_id=:db_id, contact_id=:contact_id, is_deleted=:is_deleted WHERE field_id=:field_id;";
inline constexpr char deleteField[] = "DELETE FROM FIELD WHERE field_id=:field_id ;";
inline constexpr char selectFields[] =
    "SELECT field_id,todo_id,field_type_id,last_mod_date,value,db_id,contact_id FROM FIELD WHERE is_deleted=:is_deleted ORDER BY field_id ASC;";
inline constexpr char selectFieldById[] =
    "SELECT field_id,todo_id,field_type_id,last_mod_date,value,db_id,contact_id,is_deleted FROM FIELD WHERE field_id=:field_id;";
inline constexpr char selectFieldsByTodoId[] =
    "SELECT field_id,todo_id,field_type_id,last_mod_date,value,db_id,contact_id,is_deleted FROM FIELD WHERE todo_id=:todo_id;";
inline constexpr char insertBinary[] =
    "INSERT INTO BINARY (binary_id,todo_id,last_mod_date,note,type,size,data,is_deleted) VALUES (NULL, :todo_id, :last_mod_date, :note, :type, :size, :data, :is_deleted);";
inline constexpr char updateBinaryWithData[] =
    "UPDATE BINARY SET todo_id=:todo_id, last_mod_date=:last_mod_date, note=:note, type=:type, size=:size, data=:data, is_deleted=:is_deleted WHERE binary_id=:binary_id;";
inline constexpr char updateBinaryWithoutData[] =
    "UPDATE BINARY SET todo_id=:todo_id, last_mod_date=:last_mod_date, note=:note, type=:type, size=:size, is_deleted=:is_deleted WHERE binary_id=:binary_id;";
inline constexpr char deleteBinary[] = "DELETE FROM BINARY WHERE binary_id=:binary_id ;";
inline constexpr char selectBinaryData[] = "SELECT data FROM BINARY WHERE binary_id=:binary_id ;";
inline constexpr char selectBinaries[] =
    "SELECT binary_id,todo_id,last_mod_date,note,type,size FROM BINARY WHERE is_deleted=:is_deleted ORDER BY binary_id ASC;";
inline constexpr char selectBinaryById[] =
    "SELECT binary_id,todo_id,last_mod_date,note,type,size,is_deleted FROM BINARY WHERE binary_id=:binary_id;";
inline constexpr char selectBinariesByTodoId[] =
    "SELECT binary_id,todo_id,last_mod_date,note,type,size,is_deleted FROM BINARY WHERE todo_id=:todo_id;";
inline constexpr char insertAlarm[] =
    "INSERT INTO ALARM (alarm_id,todo_id,last_mod_date,alarm_time,is_active,snooze,snooze_interval,is_deleted) VALUES (:alarm_id, :todo_id, :last_mod_date, :alarm_time, :is_active, :snooze, :snooze_interval, :is_deleted);";
inline constexpr char updateAlarm[] =
    "UPDATE ALARM SET todo_id=:todo_id, last_mod_date=:last_mod_date, alarm_time=:alarm_time, is_active=:is_active, snooze=:snooze, snooze_interval=:snooze_interval, is_deleted=:is_deleted WHERE alarm_id=:alarm_id;";
inline constexpr char deleteAlarm[] = "DELETE FROM ALARM WHERE alarm_id=:alarm_id ;";
inline constexpr char selectAlarms[] =
    "SELECT alarm_id,todo_id,last_mod_date,alarm_time,is_active,snooze,snooze_interval FROM ALARM WHERE is_deleted=:is_deleted ORDER BY alarm_id ASC;";
inline constexpr char selectAlarmById[] =
    "SELECT alarm_id,todo_id,last_mod_date,alarm_time,is_active,snooze,snooze_interval,is_deleted FROM ALARM WHERE alarm_id=:alarm_id;";
inline constexpr char selectAlarmsByTodoId[] =
    "SELECT alarm_id,todo_id,last_mod_date,alarm_time,is_active,snooze,snooze_interval,is_deleted FROM ALARM WHERE todo_id=:todo_id;";

// Compacts the file when the connection closes.
inline constexpr char vacuum[] = "VACUUM";

} // namespace Orvel::Statements

#endif
