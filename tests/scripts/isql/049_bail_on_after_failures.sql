-- failures: 2
create table fila (id integer primary key, item varchar(20) not null);
insert into fila values (1, 'um');
insert into fila values (2, null);
insert into fila values (3, 'três');
set bail on;
insert into fila values (4, 'quatro');
insert into fila values (3, 'repetido');
insert into fila values (5, 'pulado');
