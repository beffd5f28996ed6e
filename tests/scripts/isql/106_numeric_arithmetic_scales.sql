-- failures: 0
create table contas_juros (id integer primary key, principal numeric(15,2), taxa numeric(7,6), meses smallint);
create table resultado_juros (id integer, simples numeric(18,2), composto double precision, parcela numeric(18,4), razao numeric(18,8));
insert into contas_juros values (1, 10000.00, 0.010000, 12);
insert into contas_juros values (2, 2500.50, 0.015500, 24);
insert into contas_juros values (3, 999999.99, 0.000100, 360);
insert into resultado_juros
  select id,
         principal * (1 + taxa * meses),
         principal * power(1 + taxa, meses),
         principal * taxa / (1 - power(1 + taxa, -meses)),
         cast(1 as numeric(18,8)) / 3 * meses
  from contas_juros;
update resultado_juros set simples = simples / 7 where id = 2;
commit;
