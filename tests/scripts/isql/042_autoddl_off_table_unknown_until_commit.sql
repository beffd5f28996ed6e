-- failures: 1
-- With autoddl off a new table is not usable until the transaction that made it commits.
set autoddl off;
create table rascunhos (id integer primary key, texto varchar(20));
insert into rascunhos values (1, 'cedo demais');
commit;
insert into rascunhos values (2, 'depois do commit');
create index ix_rascunhos_texto on rascunhos (texto);
commit;
