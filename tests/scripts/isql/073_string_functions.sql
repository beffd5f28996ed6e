-- failures: 0
create table textos (id integer primary key, original varchar(60));
create table transformados (
  id integer primary key,
  maiusculo varchar(60), tamanho integer, invertido varchar(60), trecho varchar(20),
  posicao integer, preenchido varchar(20), trocado varchar(80), hash_texto varchar(64)
);
insert into textos values (1, 'Olá, mundo; tudo bem?');
insert into textos values (2, '  espaços nas pontas  ');
insert into textos values (3, 'a''b''c');
insert into transformados
  select id, upper(original), char_length(original), reverse(original), substring(original from 2 for 5),
         position(';' in original), lpad(id, 6, '0'), replace(original, ' ', '_'),
         cast(hash(original) as varchar(64))
  from textos;
update transformados set preenchido = rpad(trim(preenchido), 10, '.') || 'x', trecho = left(maiusculo, 3) || right(maiusculo, 2);
commit;
