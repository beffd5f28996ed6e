-- failures: 0
create table precos (produto integer not null primary key, valor numeric(10,2));
create table precos_log (
  seq integer not null primary key,
  produto integer,
  operacao char(1),
  antes numeric(10,2),
  depois numeric(10,2)
);
create generator gen_log;
set term ^ ;
create trigger precos_ai for precos after insert as
begin
  insert into precos_log values (gen_id(gen_log, 1), new.produto, 'I', null, new.valor);
end^
create trigger precos_au for precos after update as
begin
  if (old.valor <> new.valor) then
    insert into precos_log values (gen_id(gen_log, 1), new.produto, 'U', old.valor, new.valor);
end^
create trigger precos_ad for precos after delete position 5 as
begin
  insert into precos_log values (gen_id(gen_log, 1), old.produto, 'D', old.valor, null);
end^
set term ; ^
insert into precos values (1, 10);
insert into precos values (2, 20);
update precos set valor = valor * 1.1;
update precos set valor = valor where produto = 1;
delete from precos where produto = 2;
commit;
