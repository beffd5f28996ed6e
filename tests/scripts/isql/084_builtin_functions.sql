-- failures: 0
create table matematica (x double precision primary key);
create table resultados (
  x double precision, raiz double precision, potencia double precision, arredondado numeric(10,2),
  truncado numeric(10,2), teto bigint, piso bigint, sinal smallint, modulo integer, absoluto double precision,
  maior double precision, menor double precision, binario integer, log10_x double precision
);
insert into matematica values (2);
insert into matematica values (10.555);
insert into matematica values (-7.25);
insert into matematica values (144);
insert into resultados
  select x, iif(x >= 0, sqrt(x), null), power(x, 2), round(x, 1), trunc(x, 1), ceiling(x), floor(x),
         sign(x), mod(cast(floor(abs(x)) as integer), 3), abs(x), maxvalue(x, 5), minvalue(x, 5),
         bin_and(cast(floor(abs(x)) as integer), 6), iif(x > 0, log10(x), null)
  from matematica;
commit;
