-- failures: 0
create table salarios (matricula integer primary key, valor numeric(10,2));
create table historico_salarios (matricula integer, anterior numeric(10,2), novo numeric(10,2));
create table consulta_publica (matricula integer, faixa varchar(10));
set term ^ ;
create trigger salarios_au for salarios after update as
begin
  insert into historico_salarios values (old.matricula, old.valor, new.valor);
end^
create procedure reajusta (percentual numeric(5,2)) as
begin
  update salarios set valor = valor * (1 + :percentual / 100);
end^
create procedure publica as
begin
  delete from consulta_publica;
  insert into consulta_publica select matricula, iif(valor > 5000, 'alta', 'normal') from salarios;
end^
set term ; ^
grant insert on historico_salarios to trigger salarios_au;
grant select, update on salarios to procedure reajusta;
grant select on salarios to procedure publica;
grant delete, insert on consulta_publica to procedure publica;
grant execute on procedure publica to procedure reajusta;
grant select on consulta_publica to public;
revoke execute on procedure publica from procedure reajusta;
insert into salarios values (1, 4000);
insert into salarios values (2, 6000);
execute procedure reajusta 10;
execute procedure publica;
commit;
