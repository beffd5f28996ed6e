-- failures: 0
create table eventos (id integer primary key, tipo varchar(10));
set term ^ ;
create trigger eventos_bi for eventos before insert as
begin
  new.tipo = lower(new.tipo);
end^
set term ; ^
insert into eventos values (1, 'ABRIR');
set term @ ;
create procedure evento_duplo (p integer) as
begin
  insert into eventos values (:p, 'DUPLO');
  insert into eventos values (:p + 1, 'Duplo');
end@
set term ;@
execute procedure evento_duplo 10;
set term !;
execute block as
begin
  if (1 = 1) then execute procedure evento_duplo 20;
end!
set term ;!
insert into eventos values (30, 'FECHAR');
commit;
