-- failures: 0
-- Integer and exact numeric columns at their usual limits.
create table medidas (
  id integer not null primary key,
  pequeno smallint,
  grande bigint,
  preco numeric(9,2),
  taxa decimal(5,4),
  saldo numeric(18,4),
  peso decimal(12,3),
  fator numeric(4,1)
);

insert into medidas values (1, 32767, 9223372036854775807, 1234567.89, 9.9999, 99999999999999.9999, 123456789.123, 999.9);
insert into medidas values (2, -32768, -9223372036854775808, -0.01, 0.0001, -1.5, 0, -999.9);
insert into medidas values (3, 0, 0, 0, 0, 0, 0, 0);
insert into medidas (id, preco, taxa) values (4, 10.005, 0.12345);
insert into medidas (id, saldo) values (5, 1.0 / 3);
update medidas set peso = preco * 3 where id = 1;
update medidas set fator = fator + 0.1 where id = 3;
commit;
