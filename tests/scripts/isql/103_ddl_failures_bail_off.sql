-- failures: 3
create table duplicada (id integer primary key);
create table duplicada (id integer primary key, outra integer);
drop table nao_existe;
alter table duplicada add id integer;
alter table duplicada add descricao varchar(30);
create index ix_duplicada_desc on duplicada (descricao);
insert into duplicada values (1, 'depois das falhas');
commit;
