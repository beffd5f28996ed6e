-- failures: 2
-- isql's pending transaction keeps the snapshot it took before the first statement; once
-- an autoddl commit has changed the catalogue, DDL made in that older transaction
-- conflicts when committed, and the commit at the end of the script fails again.
create table turmas (id integer primary key, nome varchar(20));
set autoddl off;
create table turnos (id integer primary key, turma integer);
commit;
set autoddl on;
create table salas (id integer primary key);
