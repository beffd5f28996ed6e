-- failures: 0
create table fila_trabalho (id integer primary key, peso integer, processado boolean default false);
create table lotes_processados (lote integer, ids varchar(100), soma integer);
insert into fila_trabalho (id, peso) values (1, 5);
insert into fila_trabalho (id, peso) values (2, 8);
insert into fila_trabalho (id, peso) values (3, 2);
insert into fila_trabalho (id, peso) values (4, 9);
insert into fila_trabalho (id, peso) values (5, 1);
insert into fila_trabalho (id, peso) values (6, 7);
set term ^ ;
execute block as
  declare c cursor for (select id, peso from fila_trabalho order by id);
  declare v_id integer;
  declare v_peso integer;
  declare lote integer = 1;
  declare soma integer = 0;
  declare ids varchar(100) = '';
begin
  open c;
  while (1 = 1) do
  begin
    fetch c into :v_id, :v_peso;
    if (row_count = 0) then leave;
    if (soma + v_peso > 12) then
    begin
      insert into lotes_processados values (:lote, :ids, :soma);
      lote = lote + 1;
      soma = 0;
      ids = '';
    end
    soma = soma + v_peso;
    ids = ids || iif(ids = '', '', ',') || v_id;
    update fila_trabalho set processado = true where current of c;
  end
  close c;
  insert into lotes_processados values (:lote, :ids, :soma);
end^
set term ; ^
commit;
