-- failures: 0
create table cidades (id integer not null primary key, nome varchar(40), uf char(2), habitantes integer);
insert into cidades values (1, 'Campinas', 'SP', 1139047);
insert into cidades values (2, 'Niterói', 'RJ', 481749);
insert into cidades values (3, 'Ouro Preto', 'MG', 74824);
create view v_grandes as select id, nome, habitantes from cidades where habitantes > 100000;
create view v_por_uf (uf, quantas, total) as
  select uf, count(*), sum(habitantes) from cidades group by uf;
create view v_paulistas as select id, nome, uf, habitantes from cidades where uf = 'SP' with check option;
insert into v_paulistas values (4, 'Santos', 'SP', 433656);
update v_grandes set habitantes = habitantes + 1 where nome = 'Niterói';
create table copia_por_uf (uf char(2), quantas integer, total bigint);
insert into copia_por_uf select * from v_por_uf;
commit;
