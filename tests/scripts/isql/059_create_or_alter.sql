-- failures: 0
create table pontos (id integer primary key, valor integer, dobro integer);
set term ^ ;
create or alter procedure dobra (v integer) returns (r integer) as
begin
  r = v + v;
  suspend;
end^
create or alter trigger pontos_biu for pontos before insert or update as
begin
  new.dobro = (select r from dobra(new.valor));
end^
set term ; ^
insert into pontos (id, valor) values (1, 5);
set term ^ ;
create or alter procedure dobra (v integer) returns (r integer) as
begin
  r = v * 2 + 1;
  suspend;
end^
create or alter trigger pontos_biu for pontos active before insert or update position 3 as
begin
  new.dobro = (select r from dobra(new.valor)) - 1;
end^
set term ; ^
insert into pontos (id, valor) values (2, 7);
create or alter view v_pontos as select id, dobro from pontos;
create or alter view v_pontos as select id, valor, dobro from pontos where valor > 0;
create or alter exception e_pontos 'Valor inválido';
create or alter sequence seq_pontos start with 50;
commit;
