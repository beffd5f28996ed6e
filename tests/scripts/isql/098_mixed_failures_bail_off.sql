-- failures: 4
-- An import that keeps going past bad rows.
create table importacao (
  id integer not null primary key,
  cpf char(11) not null unique,
  nascimento date,
  salario numeric(9,2) check (salario > 0)
);
insert into importacao values (1, '11111111111', '1980-01-15', 3000);
insert into importacao values (2, '22222222222', '1980-02-30', 3000);
insert into importacao values (3, '33333333333', '1975-07-04', -10);
insert into importacao values (4, '11111111111', '1990-09-09', 2500);
insert into importacao values (5, '55555555555', '2000-12-01', 99999999999.99);
insert into importacao values (6, '66666666666', null, 999.99);
commit;
