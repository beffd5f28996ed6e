-- failures: 1
set bail on;
create table ordens (id integer primary key, descricao varchar(30));
insert into ordens values (1, 'executada');
insert into ordens values (1, 'chave repetida');
insert into ordens values (2, 'nunca executada');
create table nunca_criada (x integer);
commit;
