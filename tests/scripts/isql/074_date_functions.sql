-- failures: 0
create table prazos (id integer primary key, inicio date, fim date, criado timestamp);
create table calculos (
  id integer primary key, dias integer, meses integer, ano_fim smallint, dia_semana smallint,
  fim_mais_mes date, ultimo_dia date, horas bigint
);
insert into prazos values (1, '2024-01-31', '2024-03-01', '2024-01-31 18:45:00');
insert into prazos values (2, '2023-12-25', '2024-12-25', '2023-12-25 00:00:01');
insert into prazos values (3, '2000-02-28', '2000-03-01', '2000-02-28 23:59:59.9990');
insert into calculos
  select id, datediff(day from inicio to fim), datediff(month from inicio to fim), extract(year from fim),
         extract(weekday from fim), dateadd(1 month to inicio),
         dateadd(-1 day to dateadd(1 month to cast(extract(year from inicio) || '-' || extract(month from inicio) || '-01' as date))),
         datediff(hour from criado to cast(fim as timestamp))
  from prazos;
commit;
