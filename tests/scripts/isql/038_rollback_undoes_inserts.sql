-- failures: 0
create table reservas (id integer primary key, hospede varchar(40));
insert into reservas values (1, 'Confirmada 1');
insert into reservas values (2, 'Confirmada 2');
commit;
insert into reservas values (3, 'Será desfeita');
insert into reservas values (4, 'Também desfeita');
update reservas set hospede = 'Alterada e desfeita' where id = 1;
delete from reservas where id = 2;
rollback;
insert into reservas values (5, 'Depois do rollback');
commit;
insert into reservas values (6, 'Outra desfeita');
rollback work;
insert into reservas values (7, 'Fica no fim');
