-- failures: 0
create table vendas (id integer primary key, vendedor varchar(20), regiao char(2), valor numeric(10,2));
create table totais_vendedor (vendedor varchar(20) primary key, quantidade integer, soma numeric(12,2), media numeric(12,4));
create table regioes (sigla char(2) primary key);
insert into vendas values (1, 'Ana', 'SE', 100);
insert into vendas values (2, 'Ana', 'SE', 250.5);
insert into vendas values (3, 'Bia', 'NE', 80);
insert into vendas values (4, 'Caio', 'SU', 999.99);
insert into vendas values (5, 'Bia', 'SE', 20);
insert into totais_vendedor
  select vendedor, count(*), sum(valor), avg(cast(valor as numeric(12,4)))
  from vendas group by vendedor;
insert into regioes (sigla) select distinct regiao from vendas;
insert into vendas (id, vendedor, regiao, valor)
  select id + 100, vendedor, regiao, valor * 2 from vendas where valor < 100;
commit;
