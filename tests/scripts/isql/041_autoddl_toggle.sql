-- failures: 0
set autoddl on;
create table turmas (id integer primary key, nome varchar(20));
insert into turmas values (1, 'Manhã');
commit;
set autoddl off;
create table turnos (id integer primary key, turma integer);
create table horarios (turno integer, inicio time);
commit;
insert into turnos values (1, 1);
insert into horarios values (1, '07:30');
commit;
set autoddl on;
create table salas (id integer primary key);
insert into salas values (101);
rollback;
create table predios (id integer primary key);
insert into predios values (1);
