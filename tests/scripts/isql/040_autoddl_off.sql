-- failures: 0
set autoddl off;
create table lotes (id integer primary key, descricao varchar(30));
commit;
insert into lotes values (1, 'Lote inicial');
create table lotes_itens (lote integer references lotes, item integer, primary key (lote, item));
commit;
insert into lotes_itens values (1, 1);
insert into lotes_itens values (1, 2);
create table descartada (x integer);
rollback;
create table mantida (x integer);
commit;
insert into mantida values (1);
