-- failures: 3
-- A DDL statement runs in its own transaction, so it cannot lock a table that the
-- pending DML transaction has written to: these fail until the rows are committed.
create table categorias (id integer primary key, nome varchar(30));
insert into categorias values (1, 'Bebidas');
create index ix_categorias_nome on categorias (nome);
create table produtos (id integer primary key, categoria integer references categorias);
alter table categorias add descricao varchar(60);
update categorias set descricao = 'Sucos e refrigerantes' where id = 1;
create table temporaria (x integer);
insert into temporaria values (1);
drop table temporaria;
commit;
create index ix_categorias_nome on categorias (nome);
create table produtos (id integer primary key, categoria integer references categorias);
insert into produtos values (10, 1);
