-- failures: 1
create exception e_estoque_negativo 'Estoque não pode ficar negativo';
create table estoque (produto integer primary key, quantidade integer not null);
set term ^ ;
create trigger estoque_bu for estoque before update as
begin
  if (new.quantidade < 0) then
    exception e_estoque_negativo;
end^
set term ; ^
insert into estoque values (1, 10);
insert into estoque values (2, 3);
update estoque set quantidade = quantidade - 5 where produto = 1;
update estoque set quantidade = quantidade - 5 where produto = 2;
insert into estoque values (3, 1);
commit;
