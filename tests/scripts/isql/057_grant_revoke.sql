-- failures: 0
create table tabela_publica (id integer primary key, valor varchar(20));
create table tabela_restrita (id integer primary key, segredo varchar(20));
create table registro_uso (quando_id integer, origem varchar(20));
set term ^ ;
create procedure usa_restrita (p integer) returns (s varchar(20)) as
begin
  select segredo from tabela_restrita where id = :p into :s;
  suspend;
end^
create trigger publica_ai for tabela_publica after insert as
begin
  insert into registro_uso values (new.id, 'gatilho');
end^
set term ; ^
grant select on tabela_publica to public;
grant select, insert, update on tabela_publica to public with grant option;
grant select on tabela_restrita to procedure usa_restrita;
grant insert on registro_uso to trigger publica_ai;
grant execute on procedure usa_restrita to public;
grant update (valor) on tabela_publica to public;
revoke update on tabela_publica from public;
revoke grant option for insert on tabela_publica from public;
grant references (id) on tabela_restrita to public;
insert into tabela_restrita values (1, 'abc');
insert into tabela_publica values (1, 'visível');
commit;
