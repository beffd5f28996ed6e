-- failures: 0
create table leituras (
  sensor smallint not null,
  seq integer not null,
  valor float,
  exato double precision,
  constraint pk_leituras primary key (sensor, seq)
);
insert into leituras values (1, 1, 3.14159, 3.141592653589793);
insert into leituras values (1, 2, -0.5, 1e-300);
insert into leituras values (2, 1, 1.5e10, 6.02214076e23);
insert into leituras values (2, 2, 0, -2.5e-300);
insert into leituras (sensor, seq, exato) select 3, seq, exato * 2 from leituras where sensor = 1;
update leituras set valor = exato / 4 where sensor = 3;
