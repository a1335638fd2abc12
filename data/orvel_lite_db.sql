-- Schema of the Orvel to-do database. Statements are separated by two hash signs; every key is
-- assigned by SQLite (AUTOINCREMENT keeps keys of deleted rows from being reused).
CREATE TABLE TODO_PROJECT (
    todo_id INTEGER PRIMARY KEY AUTOINCREMENT,
    start_date TEXT,
    end_date TEXT,
    time_zone TEXT,
    last_mod_date TEXT,
    creation_date TEXT,
    status INTEGER,
    is_done BOOLEAN,
    note TEXT,
    format_string TEXT,
    is_deleted BOOLEAN,
    recurrence_id INTEGER,
    is_sample BOOLEAN
);
##
CREATE TABLE RECURRENCE (
    recurrence_id INTEGER PRIMARY KEY AUTOINCREMENT,
    sample_id INTEGER,
    last_mod_date TEXT,
    is_active BOOLEAN,
    repeats INTEGER,
    repeats_every INTEGER,
    repeats_on TEXT,
    range_start TEXT,
    range_end TEXT,
    instancing_date TEXT,
    is_deleted BOOLEAN
);
##
CREATE TABLE FIELD_TYPE (
    field_type_id INTEGER PRIMARY KEY AUTOINCREMENT,
    last_mod_date TEXT,
    name TEXT,
    is_deleted BOOLEAN
);
##
CREATE TABLE FIELD (
    field_id INTEGER PRIMARY KEY AUTOINCREMENT,
    todo_id INTEGER,
    field_type_id INTEGER,
    last_mod_date TEXT,
    value TEXT,
    db_id TEXT,
    contact_id TEXT,
    is_deleted BOOLEAN
);
##
CREATE TABLE BINARY (
    binary_id INTEGER PRIMARY KEY AUTOINCREMENT,
    todo_id INTEGER,
    last_mod_date TEXT,
    note TEXT,
    type INTEGER,
    size INTEGER,
    data BLOB,
    is_deleted BOOLEAN
);
##
CREATE TABLE ALARM (
    alarm_id INTEGER PRIMARY KEY AUTOINCREMENT,
    todo_id INTEGER,
    last_mod_date TEXT,
    alarm_time TEXT,
    is_active BOOLEAN,
    snooze INTEGER,
    snooze_interval INTEGER,
    is_deleted BOOLEAN
);
##
-- The children of one todo (and the rule of one sample) are looked up by their parent's key.
CREATE INDEX FIELD_BY_TODO ON FIELD (todo_id);
##
CREATE INDEX BINARY_BY_TODO ON BINARY (todo_id);
##
CREATE INDEX ALARM_BY_TODO ON ALARM (todo_id);
##
CREATE INDEX RECURRENCE_BY_SAMPLE ON RECURRENCE (sample_id);
##
