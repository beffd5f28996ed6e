-- failures: 0
create table agenda (
  id integer not null primary key,
  dia date not null,
  hora time,
  momento timestamp,
  descricao varchar(60)
);
insert into agenda values (1, '2024-02-29', '08:30:00', '2024-02-29 08:30:00', 'Ano bissexto');
insert into agenda values (2, date '1999-12-31', time '23:59:59.9999', timestamp '1999-12-31 23:59:59.9999', 'Virada do milênio');
insert into agenda values (3, '01.03.2020', '12:00', '2020-03-01 12:00', 'Formato com pontos');
insert into agenda (id, dia, descricao) values (4, '1900-01-01', 'Data antiga');
insert into agenda (id, dia, momento) values (5, dateadd(10 day to date '2023-01-25'), dateadd(-90 minute to timestamp '2023-06-01 00:00:00'));
update agenda set hora = cast(momento as time) where hora is null and momento is not null;
update agenda set descricao = descricao || ' (' || extract(weekday from dia) || ')' where id <= 3;
commit;
