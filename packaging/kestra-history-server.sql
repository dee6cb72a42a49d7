-- The plant's update history of the KESTRA updater, on PostgreSQL: a copy
-- of every station's records, sent by the window and kestra-flash.
--
-- A station whose role may create tables in the database creates this
-- itself. Where IT keeps that right, the database's owner runs this file once:
--
--     psql -v ON_ERROR_STOP=1 -d kestra -f kestra-history-server.sql
--
-- and makes each station's login a member of kestra_station, which may add
-- and update records and read every station's:
--
--     CREATE ROLE banco_12 LOGIN PASSWORD '...' IN ROLE kestra_station;
--
-- The tables are the program's schema version 1; a program finds the
-- version in kestra_history_schema, and never writes to a newer one.

BEGIN;

CREATE TABLE kestra_history_schema (version integer NOT NULL);

CREATE TABLE kestra_history (
    id text PRIMARY KEY, started timestamptz NOT NULL, duration_ms bigint,
    station text NOT NULL, unit text, "user" text, forced boolean,
    front_end text, version text, address text, port integer,
    file text, file_sha256 text, cpu text, bootloader text, firmware text, board text, crc16_stored text,
    device_firmware text, device_board text, device_name text, device_date text,
    pages integer, crc16 text, resends integer, exit_code integer, class text, text text, erased boolean);
CREATE INDEX kestra_history_started ON kestra_history (started, id);
CREATE INDEX kestra_history_station ON kestra_history (station, started);

INSERT INTO kestra_history_schema VALUES (1);

DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'kestra_station') THEN
        CREATE ROLE kestra_station NOLOGIN;
    END IF;
END
$$;
GRANT SELECT ON kestra_history_schema TO kestra_station;
GRANT SELECT, INSERT, UPDATE ON kestra_history TO kestra_station;

COMMIT;
